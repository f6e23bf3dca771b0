#include "download/EngineCookieJar.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QSignalSpy>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

class EngineCookieJarTest : public QObject {
    Q_OBJECT
    QWebEngineProfile profile;

    // The cookie lines whose name is name.
    static QList<QByteArray> linesNamed(const EngineCookieJar& jar, const QByteArray& name) {
        QList<QByteArray> lines = jar.CurlCookieLines();
        lines.removeIf([&](const QByteArray& line) { return line.split('\t').value(5) != name; });
        return lines;
    }

private slots:
    // The jar follows what the engine stores, each cookie with its own host,
    // path and flags.
    void followsTheEnginesCookies() {
        LoopbackHttpServer server;
        QVERIFY(server.start());
        HttpRoute login;
        login.body = "<html><script>document.cookie = 'script=1; path=/';</script></html>";
        login.headers = {{"Set-Cookie", "session=abc; Path=/; HttpOnly"},
                         {"Set-Cookie", "scoped=2; Path=/members; Max-Age=3600"}};
        server.setRoute("/login.html", login);
        HttpRoute logout;
        logout.body = "<html>bye</html>";
        logout.headers = {{"Set-Cookie", "session=; Path=/; Max-Age=0"}};
        server.setRoute("/logout.html", logout);

        EngineCookieJar* jar = EngineCookieJar::ForProfile(&profile);
        QCOMPARE(EngineCookieJar::ForProfile(&profile), jar);
        QWebEnginePage page(&profile);
        QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
        page.load(QUrl(server.url("login.html")));
        QVERIFY(loaded.wait(30000));
        QTRY_COMPARE_WITH_TIMEOUT(jar->CurlCookieLines().size(), 3, 30000);
        QCOMPARE(linesNamed(*jar, "session"),
                 QList<QByteArray>{"#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tabc"});
        QCOMPARE(linesNamed(*jar, "script"),
                 QList<QByteArray>{"127.0.0.1\tFALSE\t/\tFALSE\t0\tscript\t1"});
        const QList<QByteArray> scoped = linesNamed(*jar, "scoped").value(0).split('\t');
        QCOMPARE(scoped.mid(0, 4), (QList<QByteArray>{"127.0.0.1", "FALSE", "/members", "FALSE"}));
        QVERIFY(qAbs(scoped.value(4).toLongLong() - QDateTime::currentSecsSinceEpoch() - 3600) <
                60);

        page.load(QUrl(server.url("logout.html")));
        QVERIFY(loaded.wait(30000));
        QTRY_VERIFY_WITH_TIMEOUT(linesNamed(*jar, "session").isEmpty(), 30000);
        QCOMPARE(jar->CurlCookieLines().size(), 2);
    }

    // Flags the loopback server cannot set: a domain cookie, a secure one.
    void writesDomainAndSecureCookies() {
        EngineCookieJar jar(profile.cookieStore());
        QNetworkCookie cookie("d", "1");
        cookie.setDomain(".example.com");
        cookie.setPath("/a");
        cookie.setSecure(true);
        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(4000000000));
        jar.insertCookie(cookie);
        QCOMPARE(linesNamed(jar, "d"),
                 QList<QByteArray>{".example.com\tTRUE\t/a\tTRUE\t4000000000\td\t1"});
    }
};

QUILLMAR_ENGINE_TEST_MAIN(EngineCookieJarTest)
#include "tst_enginecookiejar.moc"
