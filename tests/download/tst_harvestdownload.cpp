#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// quillmar-harvest --download: the browser's download path from the command line.
class HarvestDownloadTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;

    // Runs the tool while this test's event loop serves the page and the files.
    static ToolRun RunTool(const QStringList& arguments) {
        QProcess tool;
        QSignalSpy finished(&tool, &QProcess::finished);
        tool.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
        ToolRun run;
        if (!finished.wait(90000)) {
            tool.kill();
            tool.waitForFinished();
            return run;
        }
        run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
        run.output = QString::fromUtf8(tool.readAllStandardOutput());
        return run;
    }

    static QString Fixture(const QString& name) {
        return testsupport::testDataPath(QStringLiteral("pages/pictures/") + name);
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        HttpRoute guarded;
        guarded.body = "<html><img src='guarded.png'><img src='missing.png'></html>";
        guarded.headers = {{"Set-Cookie", "login=yes; Path=/"}};
        server.setRoute("/guarded.html", guarded);
        server.setFile("/guarded.png", "guarded picture", "image/png");
    }

    void downloadsTheListedOrChosenFilesIntoAnExistingFolder() {
        QTemporaryDir folder;
        // One at a time, so the outcomes come in the page's order.
        const ToolRun run =
            RunTool({"--download", folder.path(), "--parallel", "1", server.url("gallery.html")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QStringLiteral("saved blue.png\nsaved red.gif\nsaved my%20photo.jpg\n"
                                            "Download complete\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"blue.png", "my%20photo.jpg", "red.gif"}));
        QCOMPARE(ReadFile(folder.filePath("blue.png")), ReadFile(Fixture("blue.png")));
        QCOMPARE(ReadFile(folder.filePath("my%20photo.jpg")), ReadFile(Fixture("my photo.jpg")));

        QTemporaryDir images;
        const ToolRun imageRun = RunTool({"--download", images.path(), "--images", "--parallel",
                                          "1", server.url("gallery.html")});
        QCOMPARE(imageRun.exitCode, 0);
        QCOMPARE(imageRun.output,
                 QStringLiteral("saved blue.png\nsaved red.gif\nDownload complete\n"));

        QTemporaryDir links;
        const ToolRun linkRun = RunTool({"--download", links.path(), "--links", "--match", "PHOTO",
                                         server.url("gallery.html")});
        QCOMPARE(linkRun.exitCode, 0);
        QCOMPARE(linkRun.output, QStringLiteral("saved my%20photo.jpg\nDownload complete\n"));

        for (const QStringList& wrong :
             {QStringList({"--download", folder.filePath("absent")}),
              QStringList({"--download", folder.path(), "--parallel", "17"})}) {
            const ToolRun refused = RunTool(wrong + QStringList(server.url("gallery.html")));
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(refused.output.isEmpty());
        }
    }

    void sendsThePagesCookiesAndReportsFailures() {
        QTemporaryDir folder;
        server.clearRequests();
        const ToolRun run =
            RunTool({"--download", folder.path(), "--parallel", "1", server.url("guarded.html")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.output, QStringLiteral("saved guarded.png\n"
                                            "failed missing.png: server answered 404\n"
                                            "Download complete: 1 of 2 files saved.\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"guarded.png"}));
        const auto requests = server.requests();
        const auto download =
            std::find_if(requests.begin(), requests.end(), [](const auto& request) {
                return request.path == "/guarded.png" &&
                       request.headers.value("user-agent") == "Quillmar";
            });
        QVERIFY(download != requests.end());
        QCOMPARE(download->headers.value("cookie"), QByteArray("login=yes"));
        QCOMPARE(download->headers.value("referer"), server.url("guarded.html").toUtf8());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestDownloadTest)
#include "tst_harvestdownload.moc"
