#include "controls/CProgressMeter.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QSignalSpy>

namespace {

const QColor black(0, 0, 0);
const QColor green(0, 255, 0);
const QColor darkGreen(0, 100, 0);
const QColor yellow(255, 255, 0);

// Coloured as the main frame colours it.
void colourAsOnTheBar(CProgressMeter& meter) {
    meter.SetBackgroundColour(black);
    meter.SetHighlightColour(green);
    meter.SetShadowColour(darkGreen);
    meter.SetSegmentColour(yellow);
}

} // namespace

class ProgressMeterTest : public QObject {
    Q_OBJECT
private slots:
    void alwaysEightyPixelsWide() {
        CProgressMeter meter;
        meter.setGeometry(535, 1, 55, 19);
        QCOMPARE(meter.geometry(), QRect(535, 1, 80, 19));
        meter.resize(200, 30);
        QCOMPARE(meter.geometry(), QRect(535, 1, 80, 30));
    }

    // Segments are 8 pixels wide from x = 1; the frames lie over their
    // outer pixels, so a segment's colour shows from row 3 and column 3.
    void segmentsFillFromTheLeftInsideThreeFrames_data() {
        QTest::addColumn<int>("level");
        for (int level : {0, 1, 5, 9, 10})
            QTest::addRow("%d", level) << level;
    }
    void segmentsFillFromTheLeftInsideThreeFrames() {
        QFETCH(int, level);
        CProgressMeter meter;
        meter.resize(80, 19);
        colourAsOnTheBar(meter);
        meter.SetLevel(level);
        const RenderedImage image(meter);
        QByteArray expected(80, '.');
        const int filledEnd = qMin(1 + 8 * level, 77);
        for (int x = 3; x < filledEnd; ++x)
            expected[x] = '#';
        for (int y = 3; y <= 15; ++y)
            QCOMPARE(image.row(y, yellow), expected);
        QCOMPARE(image.row(2, yellow).count('#'), 0);
        QCOMPARE(image.row(16, yellow).count('#'), 0);
        // Three frames around the segments: two raised, one sunk inside them.
        for (int inset : {0, 1}) {
            const int right = 79 - inset;
            const int bottom = 18 - inset;
            for (const QPoint& light : {QPoint(inset, inset), QPoint(40, inset), QPoint(inset, 9)})
                QCOMPARE(image.at(light.x(), light.y()), green);
            for (const QPoint& dark : {QPoint(right, inset), QPoint(right, 9),
                                       QPoint(inset, bottom), QPoint(40, bottom)})
                QCOMPARE(image.at(dark.x(), dark.y()), darkGreen);
        }
        for (const QPoint& inner : {QPoint(2, 2), QPoint(77, 2), QPoint(2, 16), QPoint(77, 16),
                                    QPoint(40, 2), QPoint(40, 16)})
            QCOMPARE(image.at(inner.x(), inner.y()), green);
    }

    void levelsOutsideTheRangeAreIgnored() {
        CProgressMeter meter;
        for (int level : {4, 11, -1})
            meter.SetLevel(level);
        QCOMPARE(meter.Level(), 4);
    }

    void progressBecomesALevel_data() {
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("level");
        QTest::newRow("nothing yet") << 0 << 200 << 0;
        QTest::newRow("9.5 %") << 19 << 200 << 0;
        QTest::newRow("10 %") << 20 << 200 << 1;
        QTest::newRow("99.5 %") << 199 << 200 << 9;
        QTest::newRow("done empties the meter") << 200 << 200 << 0;
        QTest::newRow("engine's 100 of 100") << 100 << 100 << 0;
        QTest::newRow("beyond the end fills it") << 300 << 200 << 10;
        QTest::newRow("no maximum is ignored") << 50 << 0 << 4;
        QTest::newRow("negative maximum is ignored") << 50 << -100 << 4;
        QTest::newRow("negative progress is ignored") << -1 << 100 << 4;
    }
    void progressBecomesALevel() {
        QFETCH(int, progress);
        QFETCH(int, maximum);
        QFETCH(int, level);
        CProgressMeter meter;
        meter.SetLevel(4);
        meter.SetProgress(progress, maximum);
        QCOMPARE(meter.Level(), level);
    }

    void startsInButtonFaceAndRed() {
        CProgressMeter meter;
        meter.resize(80, 19);
        meter.SetLevel(1);
        const RenderedImage image(meter);
        QCOMPARE(image.at(40, 9), QApplication::palette().color(QPalette::Button));
        QCOMPARE(image.at(5, 9), QColor(255, 0, 0));
        QCOMPARE(image.at(0, 0), green);
        QCOMPARE(image.at(79, 0), darkGreen);
    }

    void doubleClickIsSwallowed() {
        CProgressMeter meter;
        meter.resize(80, 19);
        colourAsOnTheBar(meter);
        const RenderedImage before(meter);
        QSignalSpy clicked(&meter, &QAbstractButton::clicked);
        const QPointF inside(20, 9);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, inside, meter.mapToGlobal(inside),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&meter, &doubleClick);
        QVERIFY(!meter.isDown());
        QCOMPARE(RenderedImage(meter).image, before.image);
        QMouseEvent release(QEvent::MouseButtonRelease, inside, meter.mapToGlobal(inside),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&meter, &release);
        QCOMPARE(clicked.count(), 0);
    }
};

QUILLMAR_TEST_MAIN(ProgressMeterTest)
#include "tst_progressmeter.moc"
