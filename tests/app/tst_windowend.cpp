#include "records/DownloadQueue.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

constexpr int Timeout = 60000;

// The request for path the server saw last, with its headers.
testsupport::HttpRequest Request(const testsupport::LoopbackHttpServer& server,
                                 const QByteArray& path) {
    const QList<testsupport::HttpRequest> requests = server.requests();
    for (auto request = requests.crbegin(); request != requests.crend(); ++request) {
        if (request->path == path)
            return *request;
    }
    return {};
}

} // namespace

// The window as a person runs it, ended from outside.
class WindowEndTest : public QObject {
    Q_OBJECT
private slots:
    // SIGTERM (the end of a desktop session, kill) ends the window at once and
    // cleanly even while it asks whether to resume an earlier run's download:
    // the login it just got is there at the next start, and the download,
    // unanswered, is still waiting to be offered.
    void terminatedWindowKeepsItsLoginAndLeavesTheDownloadsToOffer() {
        testsupport::LoopbackHttpServer server;
        QVERIFY(server.start());
        server.setSignIn("/signin", "<p>Welcome</p><img src=/signed.png>", "kept42");
        server.setFile("/members", "<p>Pictures</p>");
        QTemporaryDir home;
        DownloadQueue queue(home.filePath("data/Quillmar/Downloads.sqlite"));
        DownloadJob left;
        left.Add(home.path(), "left.jpg", server.url("left.jpg"));
        queue.Release(queue.Add(home.path(), left, false));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        for (const char* name : {"DATA", "CONFIG", "CACHE"})
            environment.insert(QString("XDG_%1_HOME").arg(name),
                               home.filePath(QString(name).toLower()));
        for (const char* page : {"signin", "members"}) {
            QProcess window;
            window.setProcessEnvironment(environment);
            window.setStandardOutputFile(QProcess::nullDevice());
            window.setStandardErrorFile(QProcess::nullDevice());
            window.start(QUILLMAR_BINARY_DIR "/quillmar", {server.url(page)});
            const QByteArray seen = page == QByteArray("signin") ? "/signed.png" : "/members";
            QTRY_VERIFY_WITH_TIMEOUT(!Request(server, seen).path.isEmpty(), Timeout);
            QCOMPARE(::kill(pid_t(window.processId()), SIGTERM), 0);
            QVERIFY(window.waitForFinished(Timeout));
            QCOMPARE(window.exitStatus(), QProcess::NormalExit);
            QCOMPARE(window.exitCode(), 0);
            QCOMPARE(queue.Interrupted().size(), 1);
        }
        QCOMPARE(Request(server, "/members").headers.value("cookie"), "session=kept42");
    }
};

QUILLMAR_ENGINE_TEST_MAIN(WindowEndTest)

#include "tst_windowend.moc"
