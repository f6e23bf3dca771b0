#include "harvest/IsImageFileName.h"
#include "support/TestMain.h"

class ImageFileNameTest : public QObject {
    Q_OBJECT
private slots:
    void judgesTheTailFromTheFirstDot() {
        const QStringList accepted = {"Photo.Jpg", "x.png", QString::fromUtf8("f\xc3\xbcr.gif")};
        QStringList rejected = QStringLiteral("photo.jpe page.html my.photo.jpg photo.jpg.html "
                                              "photo.gif?size=2 .gif gif. gif a.b")
                                   .split(' ');
        rejected << QString();
        // Only ASCII letters fold: the long s and the Kelvin sign stay what they are.
        rejected << QString::fromUtf8("a.\xc5\xbfvg") << QString::fromUtf8("a.\xe2\x84\xaaiv");
        for (const QString& name : accepted)
            QVERIFY2(IsImageFileName(name), qPrintable(name));
        for (const QString& name : rejected)
            QVERIFY2(!IsImageFileName(name), qPrintable(name));
    }

    void acceptsEveryTableEntryInAnyCase() {
        for (const QString entry :
             {"iv",   "im",   "qt",   "ps",   "ai",   "png",  "jpg",  "gif",  "mpg", "avi",  "xpm",
              "xbm",  "tga",  "ttf",  "rtf",  "rad",  "ray",  "pcx",  "psd",  "ppm", "pov",  "pix",
              "pic",  "mng",  "emf",  "dxf",  "cgm",  "tif",  "sgi",  "bmp",  "svg", "qtvr", "pict",
              "jfif", "fits", "bufr", "3dmf", "vrml", "tiff", "riff", "mpeg", "jpeg"}) {
            QVERIFY2(IsImageFileName("name." + entry), qPrintable(entry));
            QVERIFY2(IsImageFileName("NAME." + entry.toUpper()), qPrintable(entry));
            // The whole tail must match: a longer one is no entry.
            QVERIFY2(!IsImageFileName("name." + entry + "x"), qPrintable(entry));
        }
    }
};

QUILLMAR_TEST_MAIN(ImageFileNameTest)
#include "tst_imagefilename.moc"
