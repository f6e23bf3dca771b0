#include "harvest/IsImageFileName.h"
#include "support/TestMain.h"

class ImageFileNameTest : public QObject {
    Q_OBJECT
private slots:
    void judgesTheTailFromTheFirstDot_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("lower case") << "photo.jpg" << true;
        QTest::newRow("upper case") << "PHOTO.JPG" << true;
        QTest::newRow("mixed case") << "Photo.Jpg" << true;
        QTest::newRow("five: jpeg") << "photo.jpeg" << true;
        QTest::newRow("five: tiff") << "scan.tiff" << true;
        QTest::newRow("five: qtvr") << "tour.qtvr" << true;
        QTest::newRow("four: tif") << "scan.tif" << true;
        QTest::newRow("three: ai") << "logo.ai" << true;
        QTest::newRow("media: avi") << "clip.avi" << true;
        QTest::newRow("font: ttf") << "font.ttf" << true;
        QTest::newRow("text: rtf") << "notes.rtf" << true;
        QTest::newRow("one character before the dot") << "x.png" << true;
        QTest::newRow("unknown four") << "photo.jpe" << false;
        QTest::newRow("htm") << "page.htm" << false;
        QTest::newRow("html") << "page.html" << false;
        QTest::newRow("js") << "script.js" << false;
        QTest::newRow("two dots") << "my.photo.jpg" << false;
        QTest::newRow("extension after the picture's") << "photo.jpg.html" << false;
        QTest::newRow("query") << "photo.gif?size=2" << false;
        QTest::newRow("starts with its dot") << ".gif" << false;
        QTest::newRow("ends with its only dot") << "gif." << false;
        QTest::newRow("no dot") << "gif" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("tail of two") << "a.b" << false;
        QTest::newRow("non-ASCII before the dot") << QString::fromUtf8("f\xc3\xbcr.gif") << true;
        // Only ASCII letters fold: the long s and the Kelvin sign stay what they are.
        QTest::newRow("long s") << QString::fromUtf8("a.\xc5\xbfvg") << false;
        QTest::newRow("Kelvin sign") << QString::fromUtf8("a.\xe2\x84\xaaiv") << false;
    }
    void judgesTheTailFromTheFirstDot() {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(IsImageFileName(name), accepted);
    }

    void acceptsEveryTableEntryInAnyCase_data() {
        QTest::addColumn<QString>("extension");
        const QStringList entries = {
            "iv",   "im",   "qt",   "ps",   "ai",   "png",  "jpg",  "gif",  "mpg", "avi",  "xpm",
            "xbm",  "tga",  "ttf",  "rtf",  "rad",  "ray",  "pcx",  "psd",  "ppm", "pov",  "pix",
            "pic",  "mng",  "emf",  "dxf",  "cgm",  "tif",  "sgi",  "bmp",  "svg", "qtvr", "pict",
            "jfif", "fits", "bufr", "3dmf", "vrml", "tiff", "riff", "mpeg", "jpeg"};
        for (const QString& entry : entries)
            QTest::newRow(qPrintable(entry)) << entry;
    }
    void acceptsEveryTableEntryInAnyCase() {
        QFETCH(QString, extension);
        QVERIFY(IsImageFileName("name." + extension));
        QVERIFY(IsImageFileName("NAME." + extension.toUpper()));
        // The whole tail must match: a longer one is no entry.
        QVERIFY(!IsImageFileName("name." + extension + "x"));
    }
};

QUILLMAR_TEST_MAIN(ImageFileNameTest)
#include "tst_imagefilename.moc"
