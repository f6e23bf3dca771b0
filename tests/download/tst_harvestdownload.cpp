#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

using testsupport::filesIn;
using testsupport::ToolRun;

// quillmar-harvest --download: the browser's download path from the command line.
class HarvestDownloadTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        HttpRoute guarded;
        guarded.body = "<html><meta name='referrer' content='origin'>"
                       "<img src='guarded.png'><img src='missing.png'></html>";
        guarded.headers = {{"Set-Cookie", "login=yes; Path=/"}};
        server.setRoute("/guarded.html", guarded);
        server.setFile("/guarded.png", "guarded picture", "image/png");
    }

    // Both lists by default, --images or --links and --match to choose; a
    // local page may hand over its own files.
    void downloadsTheListedOrChosenFilesIntoAnExistingFolder() {
        QTemporaryDir folder;
        // One at a time, so the outcomes come in the page's order.
        const ToolRun run = testsupport::runHarvestTool(
            {"--download", folder.path(), "--parallel", "1", server.url("gallery.html")});
        QCOMPARE(run.exitCode, 0);
        // The picture both shown and linked is fetched once.
        QCOMPARE(run.output, QStringLiteral("saved blue.png\nsaved red.gif\nsaved red (2).gif\n"
                                            "saved my%20photo.jpg\nDownload complete\n"));
        QCOMPARE(filesIn(folder.path()),
                 QStringList({"blue.png", "my%20photo.jpg", "red (2).gif", "red.gif"}));

        QTemporaryDir links;
        const ToolRun linkRun =
            testsupport::runHarvestTool({"--download", links.path(), "--links", "--match", "PHOTO",
                                         server.url("gallery.html")});
        QCOMPARE(linkRun.exitCode, 0);
        QCOMPARE(linkRun.output, QStringLiteral("saved my%20photo.jpg\nDownload complete\n"));

        QTemporaryDir local;
        const ToolRun localRun = testsupport::runHarvestTool(
            {"--download", local.path(), "--images", "--parallel", "1",
             testsupport::testDataPath(QStringLiteral("pages/gallery.html"))});
        QCOMPARE(localRun.exitCode, 0);
        QCOMPARE(localRun.output,
                 QStringLiteral("saved blue.png\nsaved red.gif\nsaved red (2).gif\n"
                                "Download complete\n"));

        for (const QStringList& wrong :
             {QStringList({"--download", folder.filePath("absent")}),
              QStringList({"--download", folder.path(), "--parallel", "17"})}) {
            const ToolRun refused =
                testsupport::runHarvestTool(wrong + QStringList(server.url("gallery.html")));
            QCOMPARE(refused.exitCode, 2);
            QVERIFY(refused.output.isEmpty());
        }
    }

    void sendsThePagesCookiesAndReportsFailures() {
        QTemporaryDir folder;
        server.clearRequests();
        const ToolRun run = testsupport::runHarvestTool(
            {"--download", folder.path(), "--parallel", "1", server.url("guarded.html")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.output, QStringLiteral("saved guarded.png\n"
                                            "failed missing.png: server answered 404\n"
                                            "Download complete: 1 of 2 files saved.\n"));
        QCOMPARE(filesIn(folder.path()), QStringList({"guarded.png"}));
        const auto requests = server.requests();
        const auto download =
            std::find_if(requests.begin(), requests.end(), [](const auto& request) {
                return request.path == "/guarded.png" &&
                       request.headers.value("user-agent") == "Quillmar";
            });
        QVERIFY(download != requests.end());
        QCOMPARE(download->headers.value("cookie"), QByteArray("login=yes"));
        QCOMPARE(download->headers.value("referer"), server.url().toUtf8());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestDownloadTest)
#include "tst_harvestdownload.moc"
