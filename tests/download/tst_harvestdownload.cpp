#include "download/RefererPolicy.h"
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
        guarded.body = "<html><meta name='referrer' content='origin'>"
                       "<img src='guarded.png'><img src='missing.png'></html>";
        guarded.headers = {{"Set-Cookie", "login=yes; Path=/"}};
        server.setRoute("/guarded.html", guarded);
        server.setFile("/guarded.png", "guarded picture", "image/png");
        server.setFile("/albums.html", "<img src='1/large.jpg'><img src='2/large.jpg'>"
                                       "<img src='3/large.jpg'><img src='4/large.jpg'>"
                                       "<img src='2/large.jpg'><a href='3/large.jpg'>3</a>");
        for (const char* album : {"1", "2", "3", "4"})
            server.setFile(QByteArray("/") + album + "/large.jpg", album, "image/jpeg");
    }

    void downloadsTheListedOrChosenFilesIntoAnExistingFolder() {
        QTemporaryDir folder;
        // One at a time, so the outcomes come in the page's order.
        const ToolRun run =
            RunTool({"--download", folder.path(), "--parallel", "1", server.url("gallery.html")});
        QCOMPARE(run.exitCode, 0);
        // The picture both shown and linked is fetched once.
        QCOMPARE(run.output, QStringLiteral("saved blue.png\nsaved red.gif\nsaved red (2).gif\n"
                                            "saved my%20photo.jpg\nDownload complete\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"blue.png", "my%20photo.jpg", "red (2).gif", "red.gif"}));
        QCOMPARE(ReadFile(folder.filePath("blue.png")), ReadFile(Fixture("blue.png")));
        QCOMPARE(ReadFile(folder.filePath("my%20photo.jpg")), ReadFile(Fixture("my photo.jpg")));

        QTemporaryDir images;
        const ToolRun imageRun = RunTool({"--download", images.path(), "--images", "--parallel",
                                          "1", server.url("gallery.html")});
        QCOMPARE(imageRun.exitCode, 0);
        QCOMPARE(imageRun.output,
                 QStringLiteral("saved blue.png\nsaved red.gif\nsaved red (2).gif\n"
                                "Download complete\n"));

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

    // One name in four folders: four files, numbered in the order the page shows them;
    // a file already in the folder is replaced.
    void savesEveryAddressOfASharedNameOnce() {
        QTemporaryDir folder;
        QFile old(folder.filePath("large.jpg"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old picture") > 0);
        old.close();
        const ToolRun run = RunTool({"--download", folder.path(), server.url("albums.html")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QStringLiteral("saved large.jpg\nsaved large (2).jpg\n"
                                            "saved large (3).jpg\nsaved large (4).jpg\n"
                                            "Download complete\n"));
        QByteArrayList contents;
        for (const char* name : {"large.jpg", "large (2).jpg", "large (3).jpg", "large (4).jpg"})
            contents << ReadFile(folder.filePath(name));
        QCOMPARE(contents, QByteArrayList({"1", "2", "3", "4"}));
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
        QCOMPARE(download->headers.value("referer"), server.url().toUtf8());
    }

    // A file: page may hand over its own files.
    void downloadsTheFilesOfALocalPage() {
        QTemporaryDir folder;
        const ToolRun run =
            RunTool({"--download", folder.path(), "--images", "--parallel", "1",
                     testsupport::testDataPath(QStringLiteral("pages/gallery.html"))});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output,
                 QStringLiteral(
                     "saved blue.png\nsaved red.gif\nsaved red (2).gif\nDownload complete\n"));
    }

    void refererFollowsThePagesPolicy_data() {
        QTest::addColumn<QString>("policy");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("referer");
        const auto row = [](const char* name, const char* policy, const QString& page,
                            const QString& target, const QString& referer) {
            QTest::newRow(name) << policy << page << target << referer;
        };
        const QString page = "http://user:pw@a.test:80/g.html?token=1#top";
        const QString full = "http://a.test/g.html?token=1";
        const QString secure = "https://a.test/g.html?token=1";
        const QString a = "http://a.test/x.jpg", b = "http://b.test/x.jpg";
        const QString origin = "http://a.test/";
        row("same origin", "", page, a, full);
        row("other host", "", page, b, origin);
        row("other port", "", page, "http://a.test:81/x.jpg", origin);
        row("https to http", "", secure, a, "");
        row("file page", "", "file:///home/u/g.html", a, "");
        row("no-referrer", "No-Referrer", page, a, "");
        row("origin", "origin", page, a, origin);
        row("same-origin, same", "same-origin", page, a, full);
        row("same-origin, other", "same-origin", page, b, "");
        row("last known wins", "never, unsafe-url ,bogus", secure, b, secure);
        row("no-referrer-when-downgrade", "no-referrer-when-downgrade", page, b, full);
        row("origin-when-cross-origin", "origin-when-cross-origin", secure, a, "https://a.test/");
        row("overlong address", "", origin + QString(5000, 'p'), a, origin);
    }
    void refererFollowsThePagesPolicy() {
        QFETCH(QString, policy);
        QFETCH(QString, page);
        QFETCH(QString, target);
        QFETCH(QString, referer);
        QCOMPARE(RefererPolicy(policy).RefererFor(QUrl(page), QUrl(target)), referer);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestDownloadTest)
#include "tst_harvestdownload.moc"
