#include "fetch/DownloadJob.h"
#include "names/PictureSniffer.h"
#include "support/TestMain.h"

// How the names a job saves under come about: the type a picture's first
// bytes tell, and every address of a job named apart.
class SavedNamesTest : public QObject {
    Q_OBJECT
private slots:
    void sniffingTellsPicturesOnlyWhereTheTypeSaysNothing_data() {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const QString& declared, const QByteArray& body,
                            const QString& shown) {
            QTest::newRow(name) << declared << body << shown;
        };
        const QByteArray octets = "application/octet-stream";
        row("png", octets, QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), "image/png");
        row("jpeg, no type", "", "\xff\xd8\xff\xdb", "image/jpeg");
        row("gif87a", "binary/octet-stream", "GIF87a\x01\0", "image/gif");
        row("gif89a", "Application/Octet-Stream; charset=x", "GIF89a", "image/gif");
        row("webp", "application/unknown", QByteArray("RIFF\x24\0\0\0WEBPVP8 ", 16), "image/webp");
        row("bmp", "unknown/unknown", QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18),
            "image/bmp");
        row("ico", "*/*", QByteArray("\0\0\1\0\1\0", 6), "image/x-icon");
        row("avif", octets,
            QByteArray("\0\0\0\x1c"
                       "ftypavif\0\0\0\0avifmif1miaf",
                       28),
            "image/avif");
        row("heic among brands", octets,
            QByteArray("\0\0\0\x18"
                       "ftypmif1\0\0\0\0mif1heic",
                       24),
            "image/heic");
        row("heif", octets,
            QByteArray("\0\0\0\x14"
                       "ftypmif1\0\0\0\0mif1",
                       20),
            "image/heif");
        row("svg", octets,
            "\xef\xbb\xbf<?xml version='1.0'?>\n<!-- drawn -->\n<!DOCTYPE svg>\n"
            "<svg xmlns='http://www.w3.org/2000/svg'/>",
            "image/svg+xml");
        // No picture, or not a generic type: the declared type stays.
        row("mp4 video", octets,
            QByteArray("\0\0\0\x18"
                       "ftypisom\0\0\0\0isomavc1",
                       24),
            octets);
        row("html with svg", octets, "<!DOCTYPE html>\n<svg></svg>", octets);
        row("svg-like element", octets, "<svgx>", octets);
        row("text after BM", "", "BMW builds cars.", "");
        row("nothing", "", "", "");
        row("text type", "text/plain", "\x89PNG\r\n\x1a\n", "text/plain");
        row("declared picture", "image/png", "\xff\xd8\xff", "image/png");
    }

    void sniffingTellsPicturesOnlyWhereTheTypeSaysNothing() {
        QFETCH(QString, declared);
        QFETCH(QByteArray, body);
        QFETCH(QString, shown);
        QCOMPARE(PictureSniffer::ShownType(declared, body), shown);
    }

    // One name for three addresses, names differing only in case, an address
    // listed twice (fetched once), a number already taken, no extension, a
    // hidden name (made visible), a name with two dots; a name the list shows
    // encoded is saved decoded, a Deep Scan name (decoded already) as it is.
    void namesEveryAddressOfAJobApart() {
        DownloadJob job;
        for (const QString line :
             {"large.jpg=1", "large.jpg=2", "large.jpg=3", "Large.jpg=4", "large.jpg=1",
              "a (2).gif=5", "a.gif=6", "a.gif=7", "photo=8", "photo=9", ".gif=10", ".gif=11",
              "a.b.png=12", "a.b.png=13", "caf%C3%A9%E2%80%AE.jpg=h:/caf%C3%A9%E2%80%AE.jpg",
              "a%41.jpg=h:/a%2541.jpg", "a%2Fb.jpg=h:/a%2Fb.jpg"})
            job.AddListed("/f", line.section('=', 0, 0), line.section('=', 1));
        QStringList made;
        for (const DownloadEntry& entry : job.Entries)
            made << entry.Destination.mid(3) + '=' + entry.Source;
        QCOMPARE(made.join(", "),
                 QStringLiteral("large.jpg=1, large (2).jpg=2, large (3).jpg=3, Large.jpg=4, a "
                                "(2).gif=5, a.gif=6, a (3).gif=7, photo=8, photo (2)=9, gif=10, "
                                "gif (2)=11, a.b.png=12, a.b (2).png=13, caf\u00e9_.jpg=h:/"
                                "caf%C3%A9%E2%80%AE.jpg, a%41.jpg=h:/a%2541.jpg, "
                                "a%2Fb.jpg=h:/a%2Fb.jpg"));
    }
};

QUILLMAR_TEST_MAIN(SavedNamesTest)
#include "tst_savednames.moc"
