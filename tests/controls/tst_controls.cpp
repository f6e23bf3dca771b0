#include "controls/BitmapTable.h"
#include "controls/CAddressEdit.h"
#include "controls/CAnimation.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "controls/CMemoryDC.h"
#include "controls/CProgressMeter.h"
#include "support/TestMain.h"

#include <QAccessible>
#include <QAtomicInt>
#include <QHash>
#include <QImageReader>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMovie>
#include <QSignalSpy>
#include <QThread>

#include <memory>

namespace {

QImage rendered(QWidget& control) {
    return control.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Compares the control with its expected look, a PNG in looks/ beside this
// file; each was checked pixel by pixel against the drawing rules when made.
void compareLook(QWidget& control, const QString& name) {
    const QImage expected(QFINDTESTDATA("looks/" + name + ".png"));
    QCOMPARE(rendered(control), expected.convertToFormat(QImage::Format_RGB32));
}

QImage imageOf(int bitmapId) {
    return BitmapTable::pixmap(bitmapId).toImage().convertToFormat(QImage::Format_RGB32);
}

class CountingCounter : public CDigitCounter {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CDigitCounter::paintEvent(event);
    }
};

const QString clipPath = QStringLiteral(":/animation/activity.gif");

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    // Keys as characters: Tab, Shift+Tab ("^"), Space, Backspace, Return
    // ("\r") and the keypad's Enter ("\n"); anything else is typed.
    void addressKeySequences() {
        const QHash<QChar, QPair<Qt::Key, Qt::KeyboardModifiers>> special = {
            {'\t', {Qt::Key_Tab, Qt::NoModifier}},    {'^', {Qt::Key_Tab, Qt::ShiftModifier}},
            {' ', {Qt::Key_Space, Qt::NoModifier}},   {'\b', {Qt::Key_Backspace, Qt::NoModifier}},
            {'\r', {Qt::Key_Return, Qt::NoModifier}}, {'\n', {Qt::Key_Enter, Qt::KeypadModifier}}};
        const QString fallback = QString::fromLatin1(CAddressEdit::FallbackAddress);
        // Initial text, keys, then the text, key state and Go requests after them.
        const QList<std::tuple<const char*, const char*, QString, int, int>> sequences = {
            {"x.org", "\r", "x.org", 0, 1}, // Go without a line break
            {"x.org", "a\nb\n", "x.orgab", 0, 2},
            {"abc", "\t", "abc", 1, 0}, // the first Tab is swallowed
            {"abc", "\t \b", fallback, 0, 0},
            {"abc", "^ \b", fallback, 0, 0},
            {"", "\ta \b", fallback, 0, 0}, // letters between keep the sequence
            {"", "\t  ", " ", 2, 0},        // only one Space is swallowed
            {"abc", "\t\b", "ab", 1, 0},
            {"ab", " \b\b", "a", 0, 0},
            {"abc", "\t \r\b", "ab", 0, 1}, // Enter resets the sequence
            {"", "\t \bq\t \b", fallback, 0, 0}};
        for (const auto& [initial, keys, text, keyState, goRequests] : sequences) {
            CAddressEdit edit;
            edit.setText(initial);
            QSignalSpy go(&edit, &CAddressEdit::goRequested);
            for (const QChar key : QString(keys)) {
                if (special.contains(key))
                    QTest::keyClick(&edit, special[key].first, special[key].second);
                else
                    QTest::keyClick(&edit, key.toLatin1());
            }
            QCOMPARE(edit.text(), text);
            QCOMPARE(edit.KeyState(), keyState);
            QCOMPARE(go.count(), goRequests);
        }
        // A second Tab moves the focus on.
        QWidget window;
        auto* edit = new CAddressEdit(&window);
        auto* next = new QLineEdit(&window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_VERIFY(next->hasFocus());
    }

    void animationRepeatsStopsOnTheFirstFrameAndTakesCallsFromWorkers() {
        CAnimation animation;
        animation.resize(30, 23);
        QVERIFY(!animation.Open(QStringLiteral(":/animation/missing.gif")) && !animation.movie());
        QVERIFY(animation.Open(clipPath) && !animation.IsPlaying());
        const QImage first = QImageReader(clipPath).read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(rendered(animation), first);

        animation.Play();
        QVERIFY(animation.IsPlaying());
        const int frames = animation.movie()->frameCount();
        // Past the last frame and round again.
        int highest = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            (highest = qMax(highest, animation.movie()->currentFrameNumber()),
             highest == frames - 1 && animation.movie()->currentFrameNumber() < frames - 1),
            30000);
        QTRY_VERIFY(animation.movie()->currentFrameNumber() > 0);
        animation.Stop();
        QVERIFY(!animation.IsPlaying());
        QCOMPARE(animation.movie()->currentFrameNumber(), 0);

        animation.Close();
        QVERIFY(!animation.movie() && !animation.IsPlaying());

        // Calls from a worker run on the control's thread in order; also run
        // under ThreadSanitizer.
        QVERIFY(animation.Open(clipPath));
        std::unique_ptr<QThread> worker(QThread::create([&animation] {
            animation.Play();
            animation.Stop();
            animation.Play();
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QTRY_VERIFY(animation.IsPlaying());
    }

    // Each custom-painted control reads, through Qt's accessibility API, what it
    // paints: role, value text, read-only text, value and range, busy state.
    void controlsReadWhatTheyShow() {
        CDigitCounter counter;
        CDigitClock clock;
        CProgressMeter meter;
        CAnimation animation;
        QVERIFY(animation.Open(clipPath));
        const auto read = [](QWidget& control) {
            QAccessibleInterface* object = QAccessible::queryAccessibleInterface(&control);
            QAccessibleTextInterface* text = object->textInterface();
            QAccessibleValueInterface* value = object->valueInterface();
            return QStringLiteral("%1 \"%2\" text \"%3\" value %4 of %5%6")
                .arg(int(object->role()), 0, 16)
                .arg(object->text(QAccessible::Value),
                     text ? text->text(0, text->characterCount()) : QString("-"),
                     value ? value->currentValue().toString() : QString("-"),
                     value ? value->maximumValue().toString() : QString("-"),
                     object->state().busy ? QString(" busy") : QString());
        };
        const struct {
            QWidget& control;
            std::function<void()> change;
            QString reads;
        } rows[] = {
            {counter, [] {}, "29 \"0\" text \"0\" value 0 of 2147483647"},
            {counter, [&] { counter.SetNumber(12); },
             "29 \"12\" text \"12\" value 12 of 2147483647"},
            {clock, [&] { clock.SetText("00:03:15"); },
             "29 \"00:03:15\" text \"00:03:15\" value - of -"},
            {meter, [] {}, "30 \"0 of 10\" text \"-\" value 0 of 10"},
            {meter, [&] { meter.SetProgress(57, 100); }, "30 \"5 of 10\" text \"-\" value 5 of 10"},
            {animation, [&] { animation.Play(); }, "36 \"Busy\" text \"-\" value - of - busy"},
            {animation, [&] { animation.Stop(); }, "36 \"Not busy\" text \"-\" value - of -"},
        };
        for (const auto& row : rows) {
            row.change();
            QCOMPARE(read(row.control), row.reads);
        }
    }

    // The keyboard presses a button with Space or Enter, and a dotted frame marks
    // it once the keyboard has moved the focus; the mouse leaves its look alone.
    void buttonsTakeKeysAndMarkKeyboardFocus() {
        QWidget window;
        auto* before = new QLineEdit(&window);
        auto* button = new CBitmapButton(&window);
        button->setGeometry(0, 30, 20, 20);
        QVERIFY(button->LoadBitmaps(187, 188));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        button->setFocus(Qt::MouseFocusReason);
        QVERIFY(button->hasFocus());
        QCOMPARE(rendered(*button), imageOf(187));

        before->setFocus();
        QTest::keyClick(before, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        // Between the bevel and the picture: both unchanged.
        const QImage marked = rendered(*button);
        const QImage plain = imageOf(187);
        QVERIFY(marked != plain);
        QCOMPARE(marked.copy(4, 4, 12, 12), plain.copy(4, 4, 12, 12));
        for (const QRect bevel :
             {QRect(0, 0, 20, 2), QRect(0, 18, 20, 2), QRect(0, 0, 2, 20), QRect(18, 0, 2, 20)})
            QCOMPARE(marked.copy(bevel), plain.copy(bevel));

        QSignalSpy clicked(button, &QAbstractButton::clicked);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
            QTest::keyClick(button, key);
        QCOMPARE(clicked.count(), 3);
    }

    void buttonsShowThePressedImageOnlyWhilePressed() {
        const int pairs[][2] = {{199, 197}, {196, 195}, {205, 206}, {193, 190}, {191, 192},
                                {189, 194}, {187, 188}, {172, 173}, {170, 171}, {168, 169},
                                {166, 167}, {164, 165}, {176, 174}, {177, 175}, {184, 183},
                                {207, 208}, {186, 185}, {181, 179}, {182, 178}};
        for (const auto& [up, down] : pairs)
            QVERIFY(imageOf(up).size() == QSize(20, 20) && imageOf(down).size() == QSize(20, 20) &&
                    imageOf(up) != imageOf(down));
        QCOMPARE(BitmapTable::pixmap(204).size(), QSize(100, 70));
        CBitmapButton button;
        QVERIFY(!button.LoadBitmaps(187, 198) && !button.LoadBitmaps(9999, 188));
        button.resize(20, 20);
        QVERIFY(button.LoadBitmaps(187, 188));
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(rendered(button), imageOf(188));
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(rendered(button), imageOf(187));
        QCOMPARE(clicked.count(), 1);
        button.setEnabled(false);
        QCOMPARE(rendered(button), imageOf(187));
    }

    // Cells 11 pixels apart (a minus sign is a wholly unlit cell), cut at
    // the right edge, with the metrics of the first paint when grown.
    void countersAndClocksLook() {
        CDigitCounter counter;
        counter.resize(120, 20);
        QCOMPARE(counter.Text(), QStringLiteral("0")); // until set
        for (const int number : {1234567890, -5}) {
            counter.SetNumber(number);
            compareLook(counter, "counter" + QString::number(number));
        }
        counter.resize(30, 20);
        counter.SetNumber(123);
        compareLook(counter, "counter123");
        counter.resize(30, 60);
        compareLook(counter, "counter123-taller");

        CDigitClock clock;
        clock.resize(77, 20);
        clock.SetText(QStringLiteral("00:00:00"));
        compareLook(clock, "clock-time");
        clock.resize(200, 50);
        clock.SetText(QStringLiteral("-.x"));
        compareLook(clock, "clock-signs");
        clock.SetText(QString());
        compareLook(clock, "clock-blank");
    }

    // Also run under ThreadSanitizer: a worker's writes of the text must not
    // race with the paints' reads, and its repaint requests must reach the
    // widget's own thread.
    void counterSetFromWorkers() {
        CountingCounter counter;
        counter.resize(120, 20);
        counter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&counter));
        QAtomicInt done = 0;
        std::unique_ptr<QThread> worker(QThread::create([&counter, &done] {
            for (int n = -5000; n < 5000; ++n)
                counter.SetNumber(n);
            done = 1;
        }));
        worker->start();
        while (!done.loadAcquire()) {
            counter.repaint();
            QCoreApplication::processEvents();
        }
        QVERIFY(worker->wait(30000));
        QCOMPARE(counter.Text(), QStringLiteral("4999"));

        QCoreApplication::processEvents();
        const int paintsBefore = counter.paints;
        worker.reset(QThread::create([&counter] { counter.SetNumber(5000); }));
        worker->start();
        QVERIFY(worker->wait(30000));
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints > paintsBefore, 30000);
    }

    void memoryDCDrawsItsAreaInOneCopyAtTargetCoordinates() {
        QImage target(40, 30, QImage::Format_RGB32);
        target.fill(Qt::white);
        QImage expected = target.copy();
        QPainter painter(&target);
        {
            CMemoryDC dc(painter, QRect(10, 5, 20, 10));
            dc.fillRect(QRect(0, 0, 40, 30), Qt::blue); // beyond the area: dropped
            dc.fillRect(QRect(10, 5, 20, 10), Qt::black);
            dc.fillRect(QRect(12, 7, 2, 2), Qt::red);
            QCOMPARE(target.pixelColor(15, 10), QColor(Qt::white));
        }
        painter.end();
        QPainter(&expected).fillRect(QRect(10, 5, 20, 10), Qt::black);
        QPainter(&expected).fillRect(QRect(12, 7, 2, 2), Qt::red);
        QCOMPARE(target, expected);
        // An empty area stands for the whole target, or its clip box.
        painter.begin(&target);
        QCOMPARE(CMemoryDC(painter, QRect()).Area(), QRect(0, 0, 40, 30));
        painter.setClipRect(QRect(5, 6, 7, 8));
        QCOMPARE(CMemoryDC(painter, QRect()).Area(), QRect(5, 6, 7, 8));
    }

    // A meter at 4 ignores levels out of range, progress without a positive
    // maximum and negative progress.
    void meterLevelsLooksAndDoubleClicks() {
        const int cases[][3] = {{0, 200, 0},   {19, 200, 0},   {20, 200, 1}, {199, 200, 9},
                                {200, 200, 0}, {300, 200, 10}, {50, 0, 4},   {50, -100, 4},
                                {-1, 100, 4}}; // progress, maximum, level
        for (const auto& [progress, maximum, level] : cases) {
            CProgressMeter meter;
            meter.SetLevel(4);
            for (int outOfRange : {11, -1})
                meter.SetLevel(outOfRange);
            meter.SetProgress(progress, maximum);
            QCOMPARE(meter.Level(), level);
        }

        // Button face and red at first; segments 8 pixels wide from x = 1 under
        // two raised frames and a sunk one; a double click is no second press.
        CProgressMeter meter;
        meter.resize(55, 19); // comes out 80 pixels wide
        meter.SetLevel(1);
        const QImage image = rendered(meter);
        QCOMPARE(image.pixelColor(40, 9), QApplication::palette().color(QPalette::Button));
        QCOMPARE(image.pixelColor(5, 9), QColor(255, 0, 0));
        meter.SetBackgroundColour(Qt::black);
        meter.SetSegmentColour(Qt::yellow);
        compareLook(meter, "meter1");
        meter.SetLevel(10);
        compareLook(meter, "meter10");
        const QPointF inside(20, 9);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside, meter.mapToGlobal(inside),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&meter, &doubleClick);
        QVERIFY(!meter.isDown());
    }
};

QUILLMAR_TEST_MAIN(ControlsTest)
#include "tst_controls.moc"
