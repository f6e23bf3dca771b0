#include "controls/CMemoryDC.h"
#include "controls/ToolTips.h"
#include "support/TestMain.h"

#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QToolTip>

class MemoryDCAndToolTipTest : public QObject {
    Q_OBJECT
private slots:
    void drawingReachesTheTargetInOneCopyAtTargetCoordinates() {
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
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                QColor expected = Qt::white;
                if (QRect(10, 5, 20, 10).contains(x, y))
                    expected = QRect(12, 7, 2, 2).contains(x, y) ? Qt::red : Qt::black;
                QCOMPARE(target.pixelColor(x, y), expected);
            }
        }
    }

    void zeroRectangleMeansTheClipBox() {
        QImage target(40, 30, QImage::Format_RGB32);
        QPainter painter(&target);
        {
            CMemoryDC whole(painter, QRect());
            QCOMPARE(whole.Area(), QRect(0, 0, 40, 30));
        }
        painter.setClipRect(QRect(5, 6, 7, 8));
        CMemoryDC clipped(painter, QRect());
        QCOMPARE(clipped.Area(), QRect(5, 6, 7, 8));
    }

    void hoveringShowsTheRegisteredTip() {
        QLabel control(QStringLiteral("Search"));
        control.resize(60, 20);
        control.show();
        QVERIFY(QTest::qWaitForWindowExposed(&control));
        QString text = QStringLiteral(" Search bookmarks.");
        AddToolTip(&control, text);
        text = QStringLiteral("reused by the caller");

        const QPoint inside(10, 10);
        QHelpEvent hover(QEvent::ToolTip, inside, control.mapToGlobal(inside));
        QCoreApplication::sendEvent(&control, &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), QStringLiteral(" Search bookmarks."));
        QToolTip::hideText();
    }
};

QUILLMAR_TEST_MAIN(MemoryDCAndToolTipTest)
#include "tst_memorydc.moc"
