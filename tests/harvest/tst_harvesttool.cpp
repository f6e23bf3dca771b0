#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QProcess>
#include <QSignalSpy>
#include <QUrl>

using testsupport::HttpRoute;
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

    // Runs the tool while this test's event loop keeps serving its requests.
    static ToolRun
    runTool(const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            const QString& workingDirectory = QString()) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(workingDirectory);
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
        run.errors = QString::fromUtf8(tool.readAllStandardError());
        return run;
    }

    static QString pagesAddress() {
        return QUrl::fromLocalFile(testsupport::testDataPath(QStringLiteral("pages/"))).toString();
    }

    static QString galleryReport(const QString& base) {
        return QStringLiteral("images 3 2\n"
                              "blue.png\t%1pictures/blue.png\n"
                              "red.gif\t%1pictures/other/red.gif\n"
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
    }

    void printsSortedListsWithTheirMapAddresses() {
        // Without a display the tool chooses the offscreen platform itself.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        const ToolRun local =
            runTool({testsupport::testDataPath(QStringLiteral("pages/gallery.html"))}, environment);
        QCOMPARE(local.exitCode, 0);
        QCOMPARE(local.output, galleryReport(pagesAddress()));
        QVERIFY2(local.errors.isEmpty(), qPrintable(local.errors));

        const ToolRun served = runTool({server.url(QStringLiteral("gallery.html"))});
        QCOMPARE(served.exitCode, 0);
        QCOMPARE(served.output, galleryReport(server.url()));
    }

    void readsRelativePathsAsLocalFiles() {
        const ToolRun run =
            runTool({QStringLiteral("pages/frameset.html")},
                    QProcessEnvironment::systemEnvironment(), testsupport::testDataPath());
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.startsWith(QStringLiteral("images 2 2\ninner.png\t") + pagesAddress()),
                 qPrintable(run.output));
    }

    void reportsEmptyListsForPagesWithoutPictures_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("html without pictures") << "frame-empty.html";
        QTest::newRow("plain text") << "notes.txt";
        QTest::newRow("picture opened directly") << "pictures/red.gif";
    }
    void reportsEmptyListsForPagesWithoutPictures() {
        QFETCH(QString, name);
        const ToolRun run = runTool({server.url(name)});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QStringLiteral("images 0 0\nlinks 0 0\n"));
    }

    void failsClearlyWhenThePageCannotLoad() {
        const QString missing = server.url(QStringLiteral("missing.html"));
        const ToolRun run = runTool({missing});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.output.isEmpty());
        QCOMPARE(run.errors, QStringLiteral("quillmar-harvest: cannot load %1\n").arg(missing));
    }

    void givesUpOnAPageThatNeverArrives() {
        HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/stalled.html", stalled);
        const QString address = server.url(QStringLiteral("stalled.html"));
        const ToolRun run = runTool({QStringLiteral("--timeout"), QStringLiteral("2"), address});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.output.isEmpty());
        QCOMPARE(run.errors,
                 QStringLiteral("quillmar-harvest: timed out loading %1\n").arg(address));
    }

    void rejectsBadArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no address") << QStringList();
        QTest::newRow("two addresses") << QStringList{"a.html", "b.html"};
        QTest::newRow("blank address") << QStringList{"  "};
        QTest::newRow("unknown option") << QStringList{"--fast", "a.html"};
        QTest::newRow("timeout without number") << QStringList{"--timeout", "soon", "a.html"};
        QTest::newRow("zero timeout") << QStringList{"--timeout", "0", "a.html"};
        QTest::newRow("timeout without address") << QStringList{"--timeout", "5"};
    }
    void rejectsBadArguments() {
        QFETCH(QStringList, arguments);
        const ToolRun run = runTool(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.output.isEmpty());
        QVERIFY2(run.errors.startsWith(QStringLiteral("usage: quillmar-harvest")),
                 qPrintable(run.errors));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(HarvestToolTest)
#include "tst_harvesttool.moc"
