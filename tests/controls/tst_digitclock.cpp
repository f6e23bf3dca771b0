#include "controls/CDigitClock.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

using namespace segmentcolours;

class DigitClockTest : public QObject {
    Q_OBJECT
private slots:
    void timeCellsSitCloserAroundColons() {
        CDigitClock clock;
        clock.resize(77, 20);
        clock.SetText(QStringLiteral("00:00:00"));
        const RenderedImage image(clock);
        for (int x : {0, 11, 27, 38, 54, 65}) {
            QCOMPARE(segmentsIn(image, x, lit), 0xFCu);
            QCOMPARE(segmentsIn(image, x, unlit), 0x02u);
            QCOMPARE(image.at(x, 5), ground);
        }
        // A colon cell has two one-pixel strokes and no unlit pattern.
        for (int x : {19, 46}) {
            QCOMPARE(segmentsIn(image, x, unlit), 0u);
            QCOMPARE(segmentsIn(image, x, lit), 0u);
            QCOMPARE(image.row(7, lit).mid(x + 1, 7), QByteArray("...#..."));
            QCOMPARE(image.row(15, lit).mid(x + 1, 7), QByteArray("...#..."));
        }
        QCOMPARE(image.row(7, lit).count('#'), 6 * 2 + 2);
    }

    void ownShapesForDotAndMinus() {
        CDigitClock clock;
        clock.resize(60, 20);
        clock.SetText(QStringLiteral("-.x"));
        const RenderedImage image(clock);
        QCOMPARE(segmentsIn(image, 0, lit), 0x02u);
        QCOMPARE(segmentsIn(image, 0, unlit), 0xFCu);
        // "." is a short lit stroke over the unlit bottom segment.
        QCOMPARE(image.row(18, lit).mid(11, 11), QByteArray("..#........"));
        QCOMPARE(image.row(18, unlit).mid(11, 11), QByteArray("...####...."));
        QCOMPARE(segmentsIn(image, 22, unlit), 0xFEu);
    }

    void resizeKeepsTheMetricsOfTheFirstPaint() {
        CDigitClock clock;
        clock.resize(77, 20);
        clock.SetText(QStringLiteral("12:34"));
        const RenderedImage small(clock);
        clock.resize(200, 50);
        clock.SetText(QStringLiteral("12:34"));
        const RenderedImage large(clock);
        for (int y = 0; y < 20; ++y)
            QCOMPARE(large.row(y, lit).left(77), small.row(y, lit));
        QVERIFY(large.row(30, ground) == QByteArray(200, '#'));

        clock.SetText(QString()); // only the ground
        QImage empty(200, 50, QImage::Format_RGB32);
        empty.fill(ground);
        QCOMPARE(RenderedImage(clock).image, empty);
    }
};

QUILLMAR_TEST_MAIN(DigitClockTest)
#include "tst_digitclock.moc"
