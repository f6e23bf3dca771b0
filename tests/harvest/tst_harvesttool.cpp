#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>

using testsupport::LoopbackHttpServer;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString output;
    QString errors;
};

} // namespace

class HarvestToolTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;

    // Runs the tool from the data folder, without a display, while this test's event loop
    // keeps serving its requests.
    static ToolRun runTool(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(testsupport::testDataPath());
        QSignalSpy finished(&tool, &QProcess::finished);
        tool.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
        if (!finished.wait(90000)) {
            tool.kill();
            tool.waitForFinished();
            return {};
        }
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }

    static QString galleryReport(const QString& base) {
        // Equal names keep the order the page shows them in.
        return QStringLiteral("images 3 3\n"
                              "blue.png\t%1pictures/blue.png\n"
                              "red.gif\t%1pictures/red.gif\n"
                              "red.gif\t%1pictures/other/red.gif\n"
                              "links 2 2\n"
                              "blue.png\t%1pictures/blue.png\n"
                              "my%20photo.jpg\t%1pictures/my%20photo.jpg\n")
            .arg(base);
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        server.serveDirectory(testsupport::testDataPath(QStringLiteral("pages")));
        testsupport::HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/stalled.html", stalled);
        testsupport::HttpRoute asking;
        asking.body = "<html><script>alert(1); confirm('?'); prompt('?');</script>"
                      "<img src='pictures/blue.png'><img src='login.png'></html>";
        server.setRoute("/asking.html", asking);
        testsupport::HttpRoute login;
        login.status = 401;
        login.headers = {{"WWW-Authenticate", "Basic realm=\"pictures\""}};
        server.setRoute("/login.png", login);
        testsupport::HttpRoute slow;
        slow.contentType = "image/png";
        slow.body = QByteArray(1 << 20, 'x');
        slow.chunkSize = 4096;
        slow.chunkDelayMs = 100;
        server.setRoute("/slow.png", slow);
        server.setFile("/slow.html", "<html><a href='slow.png'>slow</a></html>");
        // One name in four folders, one picture shown twice and linked once.
        server.setFile("/albums.html", "<img src='1/large.jpg'><img src='2/large.jpg'>"
                                       "<img src='3/large.jpg'><img src='4/large.jpg'>"
                                       "<img src='2/large.jpg'><a href='3/large.jpg'>3</a>");
    }

    void printsSortedLinesEachWithItsOwnAddress() {
        // The tool chooses the offscreen platform itself; a relative path is a local file.
        const ToolRun local = runTool({QStringLiteral("pages/gallery.html")});
        QCOMPARE(local.exitCode, 0);
        const QString pages = testsupport::testDataPath(QStringLiteral("pages/"));
        QCOMPARE(local.output, galleryReport(QUrl::fromLocalFile(pages).toString()));
        QVERIFY2(local.errors.isEmpty(), qPrintable(local.errors));
        const ToolRun served = runTool({server.url(QStringLiteral("gallery.html"))});
        QCOMPARE(served.exitCode, 0);
        QCOMPARE(served.output, galleryReport(server.url()));
    }

    void answersWithTheRightExitCode_data() {
        // An argument "@name" stands for that page's served address.
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("errors"); // how they begin
        const QString usage = QStringLiteral("usage: quillmar-harvest");
        QTest::newRow("no pictures")
            << QStringList{"@frame-empty.html"} << 0 << "images 0 0\nlinks 0 0\n"
            << "";
        QTest::newRow("dialogs answered at once")
            << QStringList{"--timeout", "20", "@asking.html"} << 0
            << "images 2 2\nblue.png\t@pictures/blue.png\nlogin.png\t@login.png\nlinks 0 0\n"
            << "";
        QTest::newRow("one name, many addresses")
            << QStringList{"@albums.html"} << 0
            << "images 5 4\nlarge.jpg\t@1/large.jpg\nlarge.jpg\t@2/large.jpg\n"
               "large.jpg\t@3/large.jpg\nlarge.jpg\t@4/large.jpg\nlarge.jpg\t@2/large.jpg\n"
               "links 1 1\nlarge.jpg\t@3/large.jpg\n"
            << "";
        QTest::newRow("missing") << QStringList{"@missing.html"} << 1 << ""
                                 << "quillmar-harvest: cannot load @missing.html\n";
        QTest::newRow("not an address") << QStringList{"hello world"} << 1 << ""
                                        << "quillmar-harvest: cannot load hello world\n";
        QTest::newRow("stalled") << QStringList{"--timeout", "2", "@stalled.html"} << 1 << ""
                                 << "quillmar-harvest: timed out loading @stalled.html\n";
        QTest::newRow("no address") << QStringList() << 2 << "" << usage;
        QTest::newRow("two addresses") << QStringList{"a.html", "b.html"} << 2 << "" << usage;
        QTest::newRow("blank address") << QStringList{"  "} << 2 << "" << usage;
        QTest::newRow("unknown option") << QStringList{"--fast", "a.html"} << 2 << "" << usage;
        QTest::newRow("timeout without number")
            << QStringList{"--timeout", "soon", "a.html"} << 2 << "" << usage;
        QTest::newRow("zero timeout")
            << QStringList{"--timeout", "0", "a.html"} << 2 << "" << usage;
        QTest::newRow("timeout without address")
            << QStringList{"--timeout", "5"} << 2 << "" << usage;
    }
    void answersWithTheRightExitCode() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        for (QString& argument : arguments)
            if (argument.startsWith('@'))
                argument = server.url(argument.mid(1));
        output.replace('@', server.url());
        errors.replace('@', server.url());
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output, output);
        QCOMPARE(run.errors.left(errors.size()), errors);
    }

    // Stopped mid-file, the tool cancels the transfer and leaves nothing behind.
    void aSignalEndsTheDownloadCleanly() {
        QTemporaryDir folder;
        QProcess tool;
        QSignalSpy finished(&tool, &QProcess::finished);
        tool.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"),
                   {"--download", folder.path(), server.url("slow.html")});
        const auto written = [&] {
            return QDir(folder.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        };
        const auto fetching = [&] {
            const auto requests = server.requests();
            return std::any_of(requests.begin(), requests.end(),
                               [](const auto& request) { return request.path == "/slow.png"; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(fetching(), 60000);
        QTest::qWait(500); // a part of the file is on its way
        tool.terminate();
        QVERIFY(finished.wait(30000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 143);
        QVERIFY(tool.readAllStandardError().endsWith("quillmar-harvest: interrupted\n"));
        QCOMPARE(written(), QStringList());
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestToolTest)
#include "tst_harvesttool.moc"
