#include "support/TestMain.h"
#include "transfer/NetscapeCookieFile.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// The file's lines back from what was read, or "error: WHY".
QString ReadBack(const QByteArray& line) {
    const NetscapeCookieFile::Reading reading = NetscapeCookieFile::Parse(line, "cookies.txt");
    if (!reading.errors.isEmpty())
        return "error: " + reading.errors.join(" | ");
    QStringList lines;
    for (const QByteArray& read : NetscapeCookieFile::Lines(reading.cookies))
        lines.append(QString::fromUtf8(read));
    return lines.join(" | ");
}

mode_t ModeOf(const QString& path) {
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

} // namespace

// Cookie files as curl, wget and the cookie-export extensions write them.
class CookieFileTest : public QObject {
    Q_OBJECT
private slots:
    void readsGoodLinesAndNamesBadOnes_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const QByteArray& line, const QString& expected) {
            QTest::newRow(tag) << line << expected;
        };
        row("domain cookie", ".example.org\tTRUE\t/\tFALSE\t1900000000\tsid\tabc",
            ".example.org\tTRUE\t/\tFALSE\t1900000000\tsid\tabc");
        row("HttpOnly, secure, session, on a path",
            "#HttpOnly_www.example.org\tFALSE\t/members\tTRUE\t0\tsession\ta b",
            "#HttpOnly_www.example.org\tFALSE\t/members\tTRUE\t0\tsession\ta b");
        row("subdomains flag decides, not the dot", "Example.ORG\ttrue\t/\tfalse\t0\ta\t1",
            ".example.org\tTRUE\t/\tFALSE\t0\ta\t1");
        row("dot without subdomains", ".example.org\tFALSE\t/\tFALSE\t0\ta\t1",
            "example.org\tFALSE\t/\tFALSE\t0\ta\t1");
        row("CRLF line end", "127.0.0.1\tFALSE\t/\tFALSE\t0\ta\t1\r",
            "127.0.0.1\tFALSE\t/\tFALSE\t0\ta\t1");
        row("no value, six fields as curl writes", "h\tFALSE\t/\tFALSE\t0\tflag",
            "h\tFALSE\t/\tFALSE\t0\tflag\t");
        row("fraction of a second", "h\tFALSE\t/\tFALSE\t1900000000.75\ta\t1",
            "h\tFALSE\t/\tFALSE\t1900000000\ta\t1");
        row("expiry past the year 9999", "h\tFALSE\t/\tFALSE\t99999999999999999999\ta\t1",
            "h\tFALSE\t/\tFALSE\t253402300799\ta\t1");
        row("comments and blank lines", "# Netscape HTTP Cookie File\n\n  \n#Other\n", "");
        row("one tab-less line", "example.org TRUE / FALSE 0 a 1",
            "error: cookies.txt: line 1: expected 7 fields separated by tabs, found 1");
        row("eight fields", "h\tFALSE\t/\tFALSE\t0\ta\t1\t2",
            "error: cookies.txt: line 1: expected 7 fields separated by tabs, found 8");
        row("marked HttpOnly but malformed", "#HttpOnly_h\tFALSE",
            "error: cookies.txt: line 1: expected 7 fields separated by tabs, found 2");
        row("no domain", "\tTRUE\t/\tFALSE\t0\ta\t1",
            "error: cookies.txt: line 1: the domain is not a host name");
        row("domain with a space", "a b\tTRUE\t/\tFALSE\t0\ta\t1",
            "error: cookies.txt: line 1: the domain is not a host name");
        row("flag neither", "h\tYES\t/\tFALSE\t0\ta\t1",
            "error: cookies.txt: line 1: the second field is neither TRUE nor FALSE");
        row("path without slash", "h\tFALSE\tmembers\tFALSE\t0\ta\t1",
            "error: cookies.txt: line 1: the path does not start with \"/\"");
        row("secure neither", "h\tFALSE\t/\t1\t0\ta\t1",
            "error: cookies.txt: line 1: the fourth field is neither TRUE nor FALSE");
        row("expiry a word", "h\tFALSE\t/\tFALSE\tsoon\ta\t1",
            "error: cookies.txt: line 1: the expiry is not a number of seconds");
        row("negative expiry", "h\tFALSE\t/\tFALSE\t-1\ta\t1",
            "error: cookies.txt: line 1: the expiry is not a number of seconds");
        row("no name", "h\tFALSE\t/\tFALSE\t0\t\t1",
            "error: cookies.txt: line 1: the cookie has no name");
        row("a second cookie smuggled into the value", "h\tFALSE\t/\tFALSE\t0\ta\t1; admin=1",
            "error: cookies.txt: line 1: the name or value holds a character cookies cannot");
        row("equals sign in the name", "h\tFALSE\t/\tFALSE\t0\ta=b\t1",
            "error: cookies.txt: line 1: the name or value holds a character cookies cannot");
        row("control character", "h\tFALSE\t/\tFALSE\t0\ta\t1\x1b[2J",
            "error: cookies.txt: line 1: the name or value holds a character cookies cannot");
        row("line too long", "h\tFALSE\t/\tFALSE\t0\ta\t" + QByteArray(20000, 'v'),
            "error: cookies.txt: line 1: longer than 16384 bytes");
        row("binary file", QByteArray("SQLite format 3\0\x10", 18),
            "error: cookies.txt: binary data, not a cookie file");
    }
    void readsGoodLinesAndNamesBadOnes() {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        QCOMPARE(ReadBack(line), expected);
    }

    // A bad line costs that line only; the numbers count every line of the file.
    void fileKeepsTheGoodLinesAroundBadOnes() {
        const QByteArray text = "# Netscape HTTP Cookie File\r\n"
                                "\r\n"
                                "a.org\tFALSE\t/\tFALSE\t0\tone\t1\r\n"
                                "broken\r\n"
                                "#HttpOnly_.b.org\tTRUE\t/\tTRUE\t1900000000\ttwo\t2";
        const NetscapeCookieFile::Reading reading = NetscapeCookieFile::Parse(text, "jar.txt");
        QCOMPARE(reading.errors,
                 QStringList("jar.txt: line 4: expected 7 fields separated by tabs, found 1"));
        QCOMPARE(reading.cookies.size(), 2);
        const QNetworkCookie& two = reading.cookies[1];
        QCOMPARE(QStringList({two.domain(), QString(two.name()), QString(two.value())}),
                 QStringList({".b.org", "two", "2"}));
        QVERIFY(two.isHttpOnly() && two.isSecure() && !two.isSessionCookie());
        QCOMPARE(two.expirationDate().toSecsSinceEpoch(), 1900000000);
        QVERIFY(reading.cookies[0].isSessionCookie() && !reading.cookies[0].isHttpOnly());
    }

    // What is written reads back the same; the file is its owner's alone,
    // whatever was there and whatever the umask, and a link is left as it is.
    void writtenFileReadsBackAndIsTheOwnersAlone() {
        QTemporaryDir folder;
        const QByteArray good = "#HttpOnly_.example.org\tTRUE\t/\tTRUE\t1900000000\tsid\tx\n"
                                "127.0.0.1\tFALSE\t/m\tFALSE\t0\tsession\ty\n";
        const QList<QNetworkCookie> cookies = NetscapeCookieFile::Parse(good, "in").cookies;
        const QString path = folder.filePath("cookies.txt");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        const mode_t umask = ::umask(0);
        QString error;
        const bool written = NetscapeCookieFile::Write(path, cookies, error);
        ::umask(umask);
        QVERIFY2(written, qPrintable(error));
        QCOMPARE(ModeOf(path), mode_t(0600));
        const NetscapeCookieFile::Reading reading = NetscapeCookieFile::Read(path);
        QVERIFY(reading.errors.isEmpty());
        QCOMPARE(NetscapeCookieFile::Lines(reading.cookies), NetscapeCookieFile::Lines(cookies));
        QFile text(path);
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(text.readLine().startsWith("# Netscape HTTP Cookie File"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList("cookies.txt"));

        const QString linked = folder.filePath("linked.txt");
        QVERIFY(QFile::link(path, linked));
        QVERIFY(!NetscapeCookieFile::Write(linked, {}, error));
        QCOMPARE(error, linked + " is not a plain file");
        QVERIFY(QFileInfo(linked).isSymLink());
        QCOMPARE(NetscapeCookieFile::Read(path).cookies.size(), 2);
        QVERIFY(!NetscapeCookieFile::Write(folder.filePath("none/cookies.txt"), cookies, error));
        QVERIFY(error.startsWith(folder.filePath("none/cookies.txt") + ": "));
    }

    void tooLargeFileIsNotRead() {
        QTemporaryDir folder;
        QFile file(folder.filePath("huge.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) &&
                file.resize(NetscapeCookieFile::MaxFileBytes + 1));
        file.close();
        const NetscapeCookieFile::Reading reading = NetscapeCookieFile::Read(file.fileName());
        QCOMPARE(reading.errors,
                 QStringList(file.fileName() + ": larger than 32 MB, not a cookie file"));
        QVERIFY(reading.cookies.isEmpty());
    }
};

QUILLMAR_TEST_MAIN(CookieFileTest)

#include "tst_cookiefile.moc"
