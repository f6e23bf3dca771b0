#include "controls/CDigitCounter.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

#include <QAtomicInt>
#include <QThread>

using namespace segmentcolours;

namespace {

class CountingCounter : public CDigitCounter {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        CDigitCounter::paintEvent(event);
    }
};

} // namespace

class DigitCounterTest : public QObject {
    Q_OBJECT
private slots:
    void showsZeroUntilSet() {
        CDigitCounter counter;
        counter.resize(30, 20);
        const RenderedImage image(counter);
        QCOMPARE(segmentsIn(image, 0, lit), 0xFCu);
        QCOMPARE(segmentsIn(image, 0, unlit), 0x02u);
        QCOMPARE(counter.Text(), QStringLiteral("0"));
    }

    void everyDigitHasItsShape_data() {
        QTest::addColumn<int>("digit");
        QTest::addColumn<unsigned>("code");
        const unsigned codes[10] = {0xFC, 0x60, 0xDA, 0xF2, 0x66, 0xB6, 0xBE, 0xE0, 0xFE, 0xF6};
        for (int digit = 0; digit < 10; ++digit)
            QTest::addRow("%d", digit) << digit << codes[digit];
    }
    void everyDigitHasItsShape() {
        QFETCH(int, digit);
        QFETCH(unsigned, code);
        CDigitCounter counter;
        counter.resize(30, 20);
        counter.SetNumber(digit);
        const RenderedImage image(counter);
        QCOMPARE(segmentsIn(image, 0, lit), code);
        QCOMPARE(segmentsIn(image, 0, unlit), 0xFEu & ~code);
    }

    void minusSignIsAnUnlitCell() {
        CDigitCounter counter;
        counter.resize(40, 20);
        counter.SetNumber(-5);
        QCOMPARE(counter.Text(), QStringLiteral("-5"));
        const RenderedImage image(counter);
        QCOMPARE(segmentsIn(image, 0, lit), 0u);
        QCOMPARE(segmentsIn(image, 0, unlit), 0xFEu);
        QCOMPARE(segmentsIn(image, 11, lit), 0xB6u);
        QCOMPARE(segmentsIn(image, 11, unlit), 0x48u);
    }

    // Segments are single-pixel lines that cover their start but not their
    // end point; everything else stays black.
    void strokesAreExactAtTwentyPixels() {
        CDigitCounter counter;
        counter.resize(24, 20);
        counter.SetNumber(88);
        const RenderedImage image(counter);
        const QByteArray empty(24, '.');
        const QByteArray horizontal = "..#####......#####......";
        const QByteArray vertical = ".#......#...#......#....";
        const QByteArray rows[20] = {empty,      horizontal, vertical, vertical,   vertical,
                                     vertical,   vertical,   vertical, vertical,   empty,
                                     horizontal, vertical,   vertical, vertical,   vertical,
                                     vertical,   vertical,   empty,    horizontal, empty};
        for (int y = 0; y < 20; ++y) {
            QCOMPARE(image.row(y, lit), rows[y]);
            QCOMPARE(image.row(y, ground).count('#'), rows[y].count('.'));
        }
    }

    void digitsAreCutAtTheRightEdgeNotScaled() {
        CDigitCounter counter;
        counter.resize(30, 20);
        counter.SetNumber(123);
        const RenderedImage image(counter);
        QCOMPARE(image.width(), 30);
        QCOMPARE(segmentsIn(image, 0, lit), 0x60u);
        QCOMPARE(segmentsIn(image, 11, lit), 0xDAu);
        // The "3" starts at 22: its top stroke runs from 24 to 28 and its
        // right-hand segments (column 30) fall outside the control.
        QCOMPARE(image.row(1, lit).mid(22), QByteArray("..#####."));
        QCOMPARE(image.at(23, 5), unlit);
        QCOMPARE(image.at(22, 5), ground);
        QCOMPARE(image.row(5, ground).mid(24), QByteArray("######"));
    }

    void resizeKeepsTheMetricsOfTheFirstPaint() {
        CDigitCounter counter;
        counter.resize(60, 20);
        counter.SetNumber(18);
        const RenderedImage small(counter);
        counter.resize(60, 60);
        const RenderedImage large(counter);
        QCOMPARE(large.height(), 60);
        for (int y = 0; y < 20; ++y)
            QCOMPARE(large.row(y, lit), small.row(y, lit));
        for (int y = 20; y < 60; ++y)
            QCOMPARE(large.row(y, ground), QByteArray(60, '#'));

        CDigitCounter fresh;
        fresh.resize(60, 60);
        fresh.SetNumber(18);
        QVERIFY(RenderedImage(fresh).row(40, lit) != large.row(40, lit));
    }

    // Thicker strokes at larger heights: p = 4 and q = 21 at 60 pixels.
    void largerHeightsScaleTheStrokes() {
        CDigitCounter counter;
        counter.resize(40, 60);
        counter.SetNumber(1);
        const RenderedImage image(counter);
        const QByteArray upperRight = image.row(18, lit);
        QCOMPARE(upperRight.count('#'), 4);
        QCOMPARE(upperRight.indexOf('#'), 23);
        QCOMPARE(image.row(18, unlit).count('#'), 4);
        QCOMPARE(image.row(4, unlit).count('#'),
                 image.row(4, unlit).lastIndexOf('#') - image.row(4, unlit).indexOf('#') + 1);
    }

    void numberFromAWorkerRepaintsOnTheWidgetsThread() {
        CountingCounter counter;
        counter.resize(60, 20);
        counter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&counter));
        QTRY_VERIFY(counter.paints > 0);
        const int before = counter.paints;

        QThread* worker = QThread::create([&counter] { counter.SetNumber(42); });
        worker->start();
        QVERIFY(worker->wait(30000));
        delete worker;
        QTRY_VERIFY_WITH_TIMEOUT(counter.paints > before, 30000);
        QCOMPARE(counter.Text(), QStringLiteral("42"));
    }

    // Run under ThreadSanitizer too: the worker's writes and the paints'
    // reads of the text must not race.
    void workerHammeringSetNumberWhilePainting() {
        CountingCounter counter;
        counter.resize(120, 20);
        counter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&counter));

        QAtomicInt done = 0;
        QThread* worker = QThread::create([&counter, &done] {
            for (int n = -5000; n <= 5000; ++n)
                counter.SetNumber(n);
            done = 1;
        });
        worker->start();
        while (!done.loadAcquire()) {
            counter.repaint();
            QCoreApplication::processEvents();
        }
        QVERIFY(worker->wait(30000));
        delete worker;
        QCoreApplication::processEvents();

        QCOMPARE(counter.Text(), QStringLiteral("5000"));
        const RenderedImage image(counter);
        QCOMPARE(segmentsIn(image, 0, lit), 0xB6u);
        for (int cell = 1; cell < 4; ++cell)
            QCOMPARE(segmentsIn(image, cell * 11, lit), 0xFCu);
    }
};

QUILLMAR_TEST_MAIN(DigitCounterTest)
#include "tst_digitcounter.moc"
