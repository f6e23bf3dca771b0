#include "controls/BitmapTable.h"
#include "controls/CAddressEdit.h"
#include "controls/CAnimation.h"
#include "controls/CBitmapButton.h"
#include "controls/CDigitClock.h"
#include "controls/CDigitCounter.h"
#include "controls/CMemoryDC.h"
#include "controls/CProgressMeter.h"
#include "support/TestMain.h"

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

const QColor lit(0, 255, 0);
const QColor unlit(0, 85, 0);
const QColor darkGreen(0, 100, 0);
const QColor yellow(255, 255, 0);

// A control painted off-screen, read back pixel by pixel.
struct Rendered {
    explicit Rendered(QWidget& control)
        : image(control.grab().toImage().convertToFormat(QImage::Format_RGB32)) {}
    QColor at(int x, int y) const { return QColor(image.pixel(x, y)); }
    // The columns of row y that have the colour, as '#' and '.': stroke positions at a glance.
    QByteArray row(int y, const QColor& colour) const {
        QByteArray marks;
        for (int x = 0; x < image.width(); ++x)
            marks += at(x, y) == colour ? '#' : '.';
        return marks;
    }
    // The segments (bits 0x80 top .. 0x02 middle) of the 20-pixel-high cell
    // at x that show the colour, sampled at one pixel inside each segment.
    unsigned segments(int x, const QColor& colour) const {
        const int probes[][3] = {{0x80, 4, 1},  {0x40, 8, 5}, {0x20, 8, 13}, {0x10, 4, 18},
                                 {0x08, 1, 13}, {0x04, 1, 5}, {0x02, 4, 10}};
        unsigned bits = 0;
        for (const auto& probe : probes)
            bits |= at(x + probe[1], probe[2]) == colour ? probe[0] : 0;
        return bits;
    }
    const QImage image;
};

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
        const struct {
            const char *initial, *keys;
            QString text;
            int keyState, goRequests;
        } sequences[] = {{"x.org", "\r", "x.org", 0, 1}, // Go without a line break
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
        for (const auto& sequence : sequences) {
            CAddressEdit edit;
            edit.setText(sequence.initial);
            QSignalSpy go(&edit, &CAddressEdit::goRequested);
            for (const QChar key : QString(sequence.keys)) {
                if (special.contains(key))
                    QTest::keyClick(&edit, special[key].first, special[key].second);
                else
                    QTest::keyClick(&edit, key.toLatin1());
            }
            QCOMPARE(edit.text(), sequence.text);
            QCOMPARE(edit.KeyState(), sequence.keyState);
            QCOMPARE(go.count(), sequence.goRequests);
        }
    }

    void addressSecondTabMovesFocusOn() {
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

    void animationRepeatsAndStopsOnTheFirstFrame() {
        CAnimation animation;
        animation.resize(30, 23);
        QVERIFY(!animation.Open(QStringLiteral(":/animation/missing.gif")));
        QVERIFY(animation.movie() == nullptr);
        QVERIFY(animation.Open(clipPath));
        QVERIFY(!animation.IsPlaying());
        const QImage first = QImageReader(clipPath).read().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(Rendered(animation).image, first);

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
        QVERIFY(animation.movie() == nullptr);
        QVERIFY(!animation.IsPlaying());
    }

    // Also run under ThreadSanitizer.
    void animationCallsFromAWorkerRunOnTheControlsThreadInOrder() {
        CAnimation animation;
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
        QCOMPARE(Rendered(button).image, imageOf(188));
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(Rendered(button).image, imageOf(187));
        QCOMPARE(clicked.count(), 1);
        button.setEnabled(false);
        QCOMPARE(Rendered(button).image, imageOf(187));
    }

    // The lit segments of each cell, 11 pixels apart; the rest of a cell's
    // segments are unlit, so a minus sign is a wholly unlit cell.
    void counterCellsShowTheNumber() {
        const unsigned codes[10] = {0xFC, 0x60, 0xDA, 0xF2, 0x66, 0xB6, 0xBE, 0xE0, 0xFE, 0xF6};
        QList<unsigned> digits;
        for (int digit : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
            digits << codes[digit];
        CDigitCounter counter;
        counter.resize(120, 20);
        QCOMPARE(counter.Text(), QStringLiteral("0")); // until set
        QCOMPARE(Rendered(counter).segments(0, lit), 0xFCu);
        const QList<QPair<int, QList<unsigned>>> numbers = {{1234567890, digits},
                                                            {-5, {0x00, 0xB6}}};
        for (const auto& [number, cells] : numbers) {
            counter.SetNumber(number);
            QCOMPARE(counter.Text(), QString::number(number));
            const Rendered image(counter);
            for (int cell = 0; cell < cells.size(); ++cell) {
                QCOMPARE(image.segments(11 * cell, lit), cells[cell]);
                QCOMPARE(image.segments(11 * cell, unlit), 0xFEu & ~cells[cell]);
            }
        }
    }

    // Segments are single-pixel lines that cover their start but not their
    // end point; everything else stays black.
    void counterStrokesAreExactAtTwentyPixels() {
        CDigitCounter counter;
        counter.resize(24, 20);
        counter.SetNumber(88);
        const Rendered image(counter);
        const QByteArray empty(24, '.');
        const QByteArray horizontal = "..#####......#####......";
        const QByteArray vertical = ".#......#...#......#....";
        // Row by row: e(mpty), h(orizontal strokes) or v(ertical strokes).
        const char rows[] = "ehvvvvvvvehvvvvvvehe";
        for (int y = 0; y < 20; ++y) {
            const QByteArray& row = rows[y] == 'h' ? horizontal : rows[y] == 'v' ? vertical : empty;
            QCOMPARE(image.row(y, lit), row);
            QCOMPARE(image.row(y, Qt::black).count('#'), row.count('.'));
        }
    }

    void counterIsCutAtTheRightEdgeAndKeepsTheFirstPaintsMetrics() {
        CDigitCounter counter;
        counter.resize(30, 20);
        counter.SetNumber(123);
        const Rendered small(counter);
        QCOMPARE(small.segments(0, lit), 0x60u);
        QCOMPARE(small.segments(11, lit), 0xDAu);
        // The "3" starts at 22: its top stroke runs from 24 to 28 and its
        // right-hand segments (column 30) fall outside the control.
        QCOMPARE(small.row(1, lit).mid(22), QByteArray("..#####."));
        counter.resize(30, 60);
        QCOMPARE(Rendered(counter).image.copy(0, 0, 30, 20), small.image);
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

    void clockCellsColonsDotAndMinus() {
        CDigitClock clock;
        clock.resize(77, 20);
        clock.SetText(QStringLiteral("00:00:00"));
        const Rendered image(clock);
        for (int x : {0, 11, 27, 38, 54, 65}) {
            QCOMPARE(image.segments(x, lit), 0xFCu);
            QCOMPARE(image.segments(x, unlit), 0x02u);
        }
        // A colon cell has two one-pixel strokes and no unlit pattern.
        for (int x : {19, 46}) {
            QCOMPARE(image.segments(x, unlit), 0u);
            QCOMPARE(image.row(7, lit).mid(x + 1, 7), QByteArray("...#..."));
            QCOMPARE(image.row(15, lit).mid(x + 1, 7), QByteArray("...#..."));
        }
        QCOMPARE(image.row(7, lit).count('#'), 6 * 2 + 2);
        // Larger, it keeps the metrics of its first paint.
        clock.resize(200, 50);
        QCOMPARE(Rendered(clock).image.copy(0, 0, 77, 20), image.image);

        clock.SetText(QStringLiteral("-.x"));
        const Rendered shapes(clock);
        QCOMPARE(shapes.segments(0, lit), 0x02u);
        QCOMPARE(shapes.segments(0, unlit), 0xFCu);
        // "." is a short lit stroke over the unlit bottom segment.
        QCOMPARE(shapes.row(18, lit).mid(11, 11), QByteArray("..#........"));
        QCOMPARE(shapes.row(18, unlit).mid(11, 11), QByteArray("...####...."));
        QCOMPARE(shapes.segments(22, unlit), 0xFEu);
        clock.SetText(QString());
        QCOMPARE(Rendered(clock).segments(0, unlit), 0u);
    }

    void memoryDCDrawsItsAreaInOneCopyAtTargetCoordinates() {
        QImage target(40, 30, QImage::Format_RGB32);
        target.fill(Qt::white);
        QPainter painter(&target);
        {
            CMemoryDC dc(painter, QRect(10, 5, 20, 10));
            dc.fillRect(QRect(0, 0, 40, 30), Qt::blue); // beyond the area: dropped
            dc.fillRect(QRect(10, 5, 20, 10), Qt::black);
            dc.fillRect(QRect(12, 7, 2, 2), Qt::red);
            QCOMPARE(target.pixelColor(15, 10), QColor(Qt::white));
        }
        painter.end();
        QImage expected(40, 30, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).fillRect(QRect(10, 5, 20, 10), Qt::black);
        QPainter(&expected).fillRect(QRect(12, 7, 2, 2), Qt::red);
        QCOMPARE(target, expected);
        painter.begin(&target);
        {
            CMemoryDC whole(painter, QRect());
            QCOMPARE(whole.Area(), QRect(0, 0, 40, 30));
        }
        painter.setClipRect(QRect(5, 6, 7, 8));
        CMemoryDC clipped(painter, QRect());
        QCOMPARE(clipped.Area(), QRect(5, 6, 7, 8));
    }

    // Segments are 8 pixels wide from x = 1; the frames lie over their
    // outer pixels, so a segment's colour shows from row 3 and column 3.
    void meterFillsFromTheLeftInsideThreeFrames() {
        CProgressMeter meter;
        meter.resize(80, 19);
        meter.SetBackgroundColour(Qt::black);
        meter.SetHighlightColour(lit);
        meter.SetShadowColour(darkGreen);
        meter.SetSegmentColour(yellow);
        for (int level : {0, 1, 10}) {
            meter.SetLevel(level);
            const Rendered image(meter);
            QByteArray expected(80, '.');
            for (int x = 3; x < qMin(1 + 8 * level, 77); ++x)
                expected[x] = '#';
            for (int y = 3; y <= 15; ++y)
                QCOMPARE(image.row(y, yellow), expected);
        }
        // Two raised frames and a sunk one inside them.
        const Rendered image(meter);
        for (int inset : {0, 1}) {
            for (const QPoint& light : {QPoint(inset, inset), QPoint(40, inset), QPoint(inset, 9)})
                QCOMPARE(image.at(light.x(), light.y()), lit);
            for (const QPoint& dark : {QPoint(79 - inset, inset), QPoint(79 - inset, 9),
                                       QPoint(inset, 18 - inset), QPoint(40, 18 - inset)})
                QCOMPARE(image.at(dark.x(), dark.y()), darkGreen);
        }
        for (const QPoint& inner : {QPoint(2, 2), QPoint(77, 16), QPoint(40, 16)})
            QCOMPARE(image.at(inner.x(), inner.y()), lit);
    }

    // A meter at 4 ignores levels out of range, progress without a positive
    // maximum and negative progress.
    void meterProgressBecomesALevel() {
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
    }

    // Default colours and width; a double click is not turned into a second press.
    void meterStartsInButtonFaceAndRedAndSwallowsDoubleClicks() {
        CProgressMeter meter;
        meter.setGeometry(535, 1, 55, 19);
        QCOMPARE(meter.geometry(), QRect(535, 1, 80, 19));
        meter.SetLevel(1);
        const Rendered image(meter);
        QCOMPARE(image.at(40, 9), QApplication::palette().color(QPalette::Button));
        QCOMPARE(image.at(5, 9), QColor(255, 0, 0));
        QCOMPARE(image.at(0, 0), lit);
        QCOMPARE(image.at(79, 0), darkGreen);
        const QPointF inside(20, 9);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside, meter.mapToGlobal(inside),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&meter, &doubleClick);
        QVERIFY(!meter.isDown());
    }
};

QUILLMAR_TEST_MAIN(ControlsTest)
#include "tst_controls.moc"
