#include "controls/BitmapTable.h"
#include "controls/CBitmapButton.h"
#include "controls/RenderedImage.h"
#include "support/TestMain.h"

#include <QSignalSpy>

namespace {

QImage imageOf(int bitmapId) {
    return BitmapTable::pixmap(bitmapId).toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

class BitmapButtonTest : public QObject {
    Q_OBJECT
private slots:
    void everyButtonPairLoadsAsTwoDifferentImages_data() {
        QTest::addColumn<int>("up");
        QTest::addColumn<int>("down");
        const int pairs[][2] = {{199, 197}, {196, 195}, {205, 206}, {193, 190}, {191, 192},
                                {189, 194}, {187, 188}, {172, 173}, {170, 171}, {168, 169},
                                {166, 167}, {164, 165}, {176, 174}, {177, 175}, {184, 183},
                                {207, 208}, {186, 185}, {181, 179}, {182, 178}};
        for (const auto& pair : pairs)
            QTest::addRow("%d/%d", pair[0], pair[1]) << pair[0] << pair[1];
    }
    void everyButtonPairLoadsAsTwoDifferentImages() {
        QFETCH(int, up);
        QFETCH(int, down);
        QCOMPARE(imageOf(up).size(), QSize(20, 20));
        QCOMPARE(imageOf(down).size(), QSize(20, 20));
        QVERIFY(imageOf(up) != imageOf(down));
        CBitmapButton button;
        QVERIFY(button.LoadBitmaps(up, down));
        QCOMPARE(button.sizeHint(), QSize(20, 20));
    }

    void aboutPictureAndUnknownIds() {
        QCOMPARE(BitmapTable::pixmap(204).size(), QSize(100, 70));
        QVERIFY(BitmapTable::pixmap(198).isNull());
        CBitmapButton button;
        QVERIFY(!button.LoadBitmaps(187, 198));
        QVERIFY(!button.LoadBitmaps(9999, 188));
    }

    void showsThePressedImageOnlyWhilePressed() {
        CBitmapButton button;
        button.resize(20, 20);
        QVERIFY(button.LoadBitmaps(187, 188));
        const QImage up = imageOf(187);
        QSignalSpy clicked(&button, &QAbstractButton::clicked);

        QCOMPARE(RenderedImage(button).image, up);
        QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(RenderedImage(button).image, imageOf(188));
        QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        QCOMPARE(RenderedImage(button).image, up);
        QCOMPARE(clicked.count(), 1);

        button.setEnabled(false);
        QCOMPARE(RenderedImage(button).image, up);
        button.setEnabled(true);
        button.setFocus();
        QCOMPARE(RenderedImage(button).image, up);
    }
};

QUILLMAR_TEST_MAIN(BitmapButtonTest)
#include "tst_bitmapbutton.moc"
