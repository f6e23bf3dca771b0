#include "controls/CDigitCounter.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

#include <QAtomicInt>
#include <QThread>

#include <memory>

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
    // The lit segments of each cell, 11 pixels apart; the rest of a cell's
    // segments are unlit, so a minus sign is a wholly unlit cell.
    void cellsShowTheNumber_data() {
        QTest::addColumn<QString>("number"); // empty: never set
        QTest::addColumn<QList<unsigned>>("cells");
        const unsigned codes[10] = {0xFC, 0x60, 0xDA, 0xF2, 0x66, 0xB6, 0xBE, 0xE0, 0xFE, 0xF6};
        for (int digit = 0; digit < 10; ++digit)
            QTest::addRow("%d", digit) << QString::number(digit) << QList<unsigned>{codes[digit]};
        QTest::newRow("zero until set") << QString() << QList<unsigned>{0xFC};
        QTest::newRow("minus") << "-5" << QList<unsigned>{0x00, 0xB6};
        QTest::newRow("third digit cut") << "123" << QList<unsigned>{0x60, 0xDA};
    }
    void cellsShowTheNumber() {
        QFETCH(QString, number);
        QFETCH(QList<unsigned>, cells);
        CDigitCounter counter;
        counter.resize(30, 20);
        if (!number.isEmpty())
            counter.SetNumber(number.toInt());
        QCOMPARE(counter.Text(), number.isEmpty() ? QStringLiteral("0") : number);
        const RenderedImage image(counter);
        for (int cell = 0; cell < cells.size(); ++cell) {
            QCOMPARE(segmentsIn(image, 11 * cell, lit), cells[cell]);
            QCOMPARE(segmentsIn(image, 11 * cell, unlit), 0xFEu & ~cells[cell]);
        }
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
        // Row by row: e(mpty), h(orizontal strokes) or v(ertical strokes).
        const char rows[] = "ehvvvvvvvehvvvvvvehe";
        for (int y = 0; y < 20; ++y) {
            const QByteArray& row = rows[y] == 'h' ? horizontal : rows[y] == 'v' ? vertical : empty;
            QCOMPARE(image.row(y, lit), row);
            QCOMPARE(image.row(y, ground).count('#'), row.count('.'));
        }
    }

    void digitsAreCutAtTheRightEdgeNotScaled() {
        CDigitCounter counter;
        counter.resize(30, 20);
        counter.SetNumber(123);
        const RenderedImage image(counter);
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
        QCOMPARE(large.image.copy(0, 0, 60, 20), small.image);
        for (int y = 20; y < 60; ++y)
            QCOMPARE(large.row(y, ground), QByteArray(60, '#'));

        CDigitCounter fresh;
        fresh.resize(60, 60);
        fresh.SetNumber(18);
        QVERIFY(RenderedImage(fresh).row(40, lit) != large.row(40, lit));
    }

    // Also run under ThreadSanitizer: a worker's writes of the text must not
    // race with the paints' reads, and its repaint requests must reach the
    // widget's own thread.
    void numberSetFromWorkers() {
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
        const RenderedImage image(counter);
        QCOMPARE(segmentsIn(image, 0, lit), 0xB6u);
        for (int cell = 1; cell < 4; ++cell)
            QCOMPARE(segmentsIn(image, cell * 11, lit), 0xFCu);
    }
};

QUILLMAR_TEST_MAIN(DigitCounterTest)
#include "tst_digitcounter.moc"
