#include "engine/BrowserProfile.h"
#include "engine/ProfileCopy.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "transfer/EngineCookieJar.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QNetworkCookie>
#include <QSignalSpy>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

namespace {

constexpr int Timeout = 30000;

// Every file of the parts a copy reads, with a digest of its bytes.
QMap<QString, QByteArray> Contents(const QString& profile) {
    QMap<QString, QByteArray> contents;
    for (const QString& part : ProfileCopy::Parts()) {
        QStringList paths{profile + '/' + part};
        QDirIterator files(paths[0], QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            paths.append(files.next());
        for (const QString& path : paths) {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                contents.insert(
                    path, QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
        }
    }
    return contents;
}

bool Loads(QWebEnginePage& page, const QUrl& address) {
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    page.load(address);
    return loaded.wait(Timeout) && loaded.first().first().toBool();
}

// The engine writes its cookies every 30 seconds, or at once when 512 changes
// wait: these fill the batch up, over domains few enough not to be trimmed.
void FillTheCookieBatch(QWebEngineCookieStore& store, int waiting) {
    for (int i = waiting; i < 512; ++i) {
        QNetworkCookie filler("filler" + QByteArray::number(i), "1");
        filler.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
        store.setCookie(filler, QUrl(QStringLiteral("http://d%1.example/").arg(i % 3)));
    }
}

bool Holds(const QList<QByteArray>& lines, const QByteArray& start, const QByteArray& end) {
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QByteArray& line) {
        return line.startsWith(start) && line.endsWith(end);
    });
}

bool FileHolds(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes);
}

} // namespace

// A run on a copy of the window's profile, as the tool makes one.
class ProfileCopyTest : public QObject {
    Q_OBJECT
private slots:
    // Copied while the window's page is open, the copy is signed in: a page on
    // it sends the session cookie, and downloads carry it. The window's profile
    // is left byte for byte as it was, and a cookie the site renews for the
    // run stays in the copy.
    void copyOfAnOpenProfileIsSignedInAndLeavesTheOriginalAlone() {
        testsupport::LoopbackHttpServer server;
        QVERIFY(server.start());
        server.setSignIn("/signin", "<p>Welcome</p>", "member7");
        server.setFile("/look", "<p>Gallery</p>");
        server.setSignIn("/members", "<p>Pictures</p>", "renewed8");
        QObject window;
        BrowserProfile::UsePersistent(&window);
        QWebEngineProfile* windowProfile = BrowserProfile::Current();
        QWebEnginePage windowPage(windowProfile);
        QVERIFY(Loads(windowPage, server.url("signin")));
        FillTheCookieBatch(*windowProfile->cookieStore(), 1);
        const QString original = BrowserProfile::WindowFolder();
        QTRY_VERIFY_WITH_TIMEOUT(FileHolds(original + "/Cookies", "member7"), Timeout);
        const QMap<QString, QByteArray> before = Contents(original);

        QObject run;
        QString error;
        QVERIFY2(BrowserProfile::UseWindowCopy(&run, error), qPrintable(error));
        QWebEngineProfile* copied = BrowserProfile::Current();
        QVERIFY(copied != windowProfile);
        QVERIFY(!copied->persistentStoragePath().startsWith(original));
        {
            QWebEnginePage page(copied);
            server.clearRequests();
            QVERIFY(Loads(page, server.url("look")));
            QCOMPARE(server.requests().value(0).headers.value("cookie"), "session=member7");
            QVERIFY(Holds(BrowserProfile::CookieLines(), "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t",
                          "\tsession\tmember7"));
            QVERIFY(Loads(page, server.url("members")));
            QTRY_VERIFY_WITH_TIMEOUT(
                Holds(BrowserProfile::CookieLines(), "#HttpOnly_", "\tsession\trenewed8"), Timeout);
            QVERIFY(!Holds(BrowserProfile::CookieLines(), "#HttpOnly_", "\tsession\tmember7"));
        }
        QVERIFY(Holds(EngineCookieJar::ForProfile(windowProfile)->CurlCookieLines(), "#HttpOnly_",
                      "\tsession\tmember7"));
        QCOMPARE(Contents(original), before);
        delete copied;
    }
};

QUILLMAR_ENGINE_TEST_MAIN(ProfileCopyTest)

#include "tst_profilecopy.moc"
