#include "download/TypeExtension.h"
#include "harvest/DeepNameRule.h"
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

    void namesAndJudgesDeepScanAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("query and fragment") << "http://h/p/photo.jpg?w=800#a"
                                            << "photo.jpg" << true;
        QTest::newRow("last dot") << "http://h/holiday.2024.JPG"
                                  << "holiday.2024.JPG" << true;
        QTest::newRow("modern") << "https://h/a.webp"
                                << "a.webp" << true;
        QTest::newRow("video") << "https://h/clip.MKV"
                               << "clip.MKV" << true;
        QTest::newRow("jpe") << "https://h/old.jpe"
                             << "old.jpe" << true;
        QTest::newRow("page") << "http://h/a.jpg.html"
                              << "a.jpg.html" << false;
        QTest::newRow("no extension") << "http://h/render?id=5.jpg"
                                      << "render" << false;
        QTest::newRow("leading dot") << "http://h/.png"
                                     << ".png" << false;
        QTest::newRow("trailing dot") << "http://h/png."
                                      << "png." << false;
        QTest::newRow("directory") << "http://h/pics/"
                                   << "" << false;
        QTest::newRow("utf-8") << "http://h/f%C3%BCr%20dich.avif"
                               << QString::fromUtf8("f\xc3\xbcr dich.avif") << true;
        QTest::newRow("slash stays encoded") << "http://h/a%2Fb.jpg"
                                             << "a%2Fb.jpg" << true;
        QTest::newRow("nul stays encoded") << "http://h/a%00.jpg"
                                           << "a%00.jpg" << true;
        QTest::newRow("control stays encoded") << "http://h/a%0A.jpg"
                                               << "a%0A.jpg" << true;
        QTest::newRow("dot dot stays encoded") << "http://h/%2E%2E"
                                               << "%2E%2E" << false;
        QTest::newRow("broken utf-8 stays encoded") << "http://h/%FF.png"
                                                    << "%FF.png" << true;
        QTest::newRow("kelvin sign") << QString::fromUtf8("http://h/a.m\xe2\x84\xaav")
                                     << QString::fromUtf8("a.m\xe2\x84\xaav") << false;
    }
    void namesAndJudgesDeepScanAddresses() {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QCOMPARE(DeepNameRule::DisplayName(address), name);
        QCOMPARE(DeepNameRule::HasAcceptedExtension(name), accepted);
    }

    void givesNamesWithoutExtensionOneFromTheContentType() {
        const QList<std::array<QString, 3>> cases = {
            {"render", "image/png", "render.png"},
            {"photo", "IMAGE/JPEG; charset=binary", "photo.jpg"},
            {"p", "image/webp", "p.webp"},
            {"clip", "video/mp4", "clip.mp4"},
            {"icon", "image/x-icon", "icon.ico"},
            {"a.gif", "image/png", "a.gif"}, // an extension of its own stays
            {"data", "text/html", "data"},   // not a picture: nothing added
            {"data", "", "data"},
            {".hidden", "image/png", ".hidden.png"},
        };
        for (const auto& [name, type, expected] : cases)
            QCOMPARE(TypeExtension::NameWithExtension(name, type), expected);
    }
};

QUILLMAR_TEST_MAIN(ImageFileNameTest)
#include "tst_imagefilename.moc"
