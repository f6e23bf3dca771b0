#include "download/EngineCookieJar.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineProfile>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

class EngineCookieJarTest : public QObject {
    Q_OBJECT
private slots:
    // The jar follows what the engine stores, and answers with the cookies the
    // engine would send for each address.
    void followsTheEnginesCookies() {
        LoopbackHttpServer server;
        QVERIFY(server.start());
        HttpRoute login;
        login.body = "<html><script>document.cookie = 'script=1; path=/';</script></html>";
        login.headers = {{"Set-Cookie", "session=abc; Path=/"},
                         {"Set-Cookie", "scoped=2; Path=/members"}};
        server.setRoute("/login.html", login);
        HttpRoute logout;
        logout.body = "<html>bye</html>";
        logout.headers = {{"Set-Cookie", "session=; Path=/; Max-Age=0"}};
        server.setRoute("/logout.html", logout);

        QWebEngineProfile profile;
        EngineCookieJar* jar = EngineCookieJar::ForProfile(&profile);
        QCOMPARE(EngineCookieJar::ForProfile(&profile), jar);
        {
            QWebEnginePage page(&profile);
            QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
            page.load(QUrl(server.url("login.html")));
            QVERIFY(loaded.wait(30000));
            const QUrl picture(server.url("pics/a.jpg"));
            QTRY_VERIFY_WITH_TIMEOUT(jar->CookieHeaderFor(picture).contains("script=1"), 30000);
            QCOMPARE(jar->CookieHeaderFor(picture).count(';'), 1);
            QVERIFY(jar->CookieHeaderFor(picture).contains("session=abc"));
            QVERIFY(jar->CookieHeaderFor(QUrl(server.url("members/b.jpg"))).contains("scoped=2"));
            QCOMPARE(jar->CookieHeaderFor(QUrl("http://example.invalid/a.jpg")), QByteArray());

            page.load(QUrl(server.url("logout.html")));
            QVERIFY(loaded.wait(30000));
            QTRY_VERIFY_WITH_TIMEOUT(!jar->CookieHeaderFor(picture).contains("session"), 30000);
            QCOMPARE(jar->CookieHeaderFor(picture), QByteArray("script=1"));
        }
    }
};

QUILLMAR_ENGINE_TEST_MAIN(EngineCookieJarTest)
#include "tst_enginecookiejar.moc"
