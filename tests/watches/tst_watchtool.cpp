#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

using namespace testsupport;

namespace {

// The paths the server was asked for, in order, without the engine's favicon.
QList<QByteArray> Asked(const LoopbackHttpServer& site) {
    QList<QByteArray> paths;
    for (const HttpRequest& request : site.requests())
        if (!request.path.endsWith("favicon.ico"))
            paths << request.path;
    return paths;
}

// A page linking pictures shown by the names given; each picture's bytes are its name.
QByteArray GalleryPage(const QStringList& pictures, const QByteArray& next = QByteArray()) {
    QByteArray page = "<title>Gallery</title>";
    if (!next.isEmpty())
        page += "<link rel='next' href='" + next + "'>";
    for (const QString& picture : pictures)
        page += "<img src='" + picture.toUtf8() + "'>";
    return page;
}

} // namespace

// Watches through quillmar-harvest: each check fetches only what its watch
// has not seen, against a loopback gallery that grows between checks.
class WatchToolTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer server;
    QTemporaryDir data; // the tool's data folder, where the watch list is
    QTemporaryDir pictures;

    QProcess* Start(const QStringList& arguments) {
        auto* tool = new QProcess(this);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(QString::fromLatin1(name));
        environment.insert("XDG_DATA_HOME", data.path());
        tool->setProcessEnvironment(environment);
        tool->start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
        return tool;
    }

    ToolRun Run(const QStringList& arguments) {
        QProcess* tool = Start(arguments);
        const bool ended =
            tool->waitForFinished(90000) && tool->exitStatus() == QProcess::NormalExit;
        const ToolRun run{ended ? tool->exitCode() : -1,
                          QString::fromUtf8(tool->readAllStandardOutput()),
                          QString::fromUtf8(tool->readAllStandardError())};
        delete tool;
        return run;
    }

    void SetPictures(const QStringList& names) {
        for (const QString& name : names)
            server.setFile("/g/" + name.toUtf8(), name.toUtf8(), "image/png");
    }

    QString Folder(const QString& name) const { return pictures.filePath(name); }

    QJsonObject Listed(const QString& address) {
        const ToolRun list = Run({"--list-watches", "--json"});
        for (const QString& line : list.output.split('\n', Qt::SkipEmptyParts)) {
            const QJsonObject watch = QJsonDocument::fromJson(line.toUtf8()).object();
            if (watch.value("url").toString() == address)
                return watch;
        }
        return {};
    }

private slots:
    void initTestCase() {
        QVERIFY(server.start());
        QVERIFY(data.isValid() && pictures.isValid());
    }

    // First check saves all; the next saves only what was added, asks for no
    // old picture, and does not bring back one the person deleted; a run
    // with no watch due asks the server nothing.
    void checksFetchOnlyWhatIsNew() {
        const QString page = server.url("g/grow.html");
        const QString folder = Folder("grow");
        SetPictures({"a.png", "b.png", "c.png"});
        server.setFile("/g/grow.html", GalleryPage({"a.png", "b.png"}));
        const ToolRun first = Run({"--watch", "--every", "2h", "--download", folder, page});
        QVERIFY2(first.exitCode == 0, qPrintable(first.output + first.errors));
        QVERIFY2(first.output.contains(QString("%1: 2 new, saved into %2\n").arg(page, folder)),
                 qPrintable(first.output));
        QCOMPARE(filesIn(folder), QStringList({"a.png", "b.png"}));

        QVERIFY(QFile::remove(QDir(folder).filePath("a.png")));
        server.setFile("/g/grow.html", GalleryPage({"a.png", "b.png", "c.png"}));
        server.clearRequests();
        const ToolRun second = Run({"--check-watches", "--all"});
        QVERIFY2(second.exitCode == 0, qPrintable(second.output + second.errors));
        QVERIFY2(second.output.contains(QString("%1: 1 new, saved into %2\n").arg(page, folder)),
                 qPrintable(second.output));
        QCOMPARE(filesIn(folder), QStringList({"b.png", "c.png"}));
        QCOMPARE(Asked(server), QList<QByteArray>({"/g/grow.html", "/g/c.png"}));
        QCOMPARE(Listed(page).value("unlooked").toInt(), 3);
        QCOMPARE(Listed(page).value("period").toString(), QString("2h"));

        server.clearRequests();
        const ToolRun none = Run({"--check-watches"});
        QVERIFY2(none.exitCode == 0, qPrintable(none.output + none.errors));
        QVERIFY2(!none.output.contains(page), qPrintable(none.output));
        QCOMPARE(Asked(server), QList<QByteArray>());
    }

    void fromNowFetchesOnlyWhatIsAddedAfter() {
        const QString page = server.url("g/later.html");
        const QString folder = Folder("later");
        SetPictures({"old.png", "new.png"});
        server.setFile("/g/later.html", GalleryPage({"old.png"}));
        const ToolRun noted = Run({"--watch", "--from-now", "--download", folder, page});
        QVERIFY2(noted.output.contains(page + ": 0 new"), qPrintable(noted.output + noted.errors));
        QCOMPARE(filesIn(folder), QStringList());
        server.setFile("/g/later.html", GalleryPage({"old.png", "new.png"}));
        const ToolRun later = Run({"--check-watches", page});
        QVERIFY2(later.output.contains(page + ": 1 new"), qPrintable(later.output + later.errors));
        QCOMPARE(filesIn(folder), QStringList({"new.png"}));
    }

    // Five pages; a check after one picture was added to the first loads the
    // first alone, and says why it went no further.
    void stopsPagingAtWhatItSawBefore() {
        const QString folder = Folder("pages");
        QStringList all;
        for (int number = 1; number <= 5; ++number) {
            const QString picture = QString("p%1.png").arg(number);
            all << picture;
            SetPictures({picture});
            server.setFile(
                "/g/page" + QByteArray::number(number) + ".html",
                GalleryPage({picture}, number < 5
                                           ? "page" + QByteArray::number(number + 1) + ".html"
                                           : QByteArray()));
        }
        const QString page = server.url("g/page1.html");
        const ToolRun first = Run({"--watch", "--pages", "10", "--download", folder, page});
        QVERIFY2(first.output.contains(page + ": 5 new"), qPrintable(first.output + first.errors));
        SetPictures({"p0.png"});
        server.setFile("/g/page1.html", GalleryPage({"p0.png", "p1.png"}, "page2.html"));
        server.clearRequests();
        const ToolRun second = Run({"--check-watches", page});
        QVERIFY2(second.output.contains(page + ": 1 new"),
                 qPrintable(second.output + second.errors));
        QVERIFY2(second.output.contains("no further pages after " + page),
                 qPrintable(second.output));
        const QList<QByteArray> asked = Asked(server);
        QVERIFY2(std::none_of(asked.begin(), asked.end(),
                              [](const QByteArray& path) { return path.startsWith("/g/page2"); }),
                 asked.join(' '));
        QCOMPARE(filesIn(folder).size(), 6);
    }

    // A page that stops loading fails its check and the list says why; the
    // next good check clears it; --unwatch leaves the files.
    void failuresAreKeptUntilTheNextGoodCheck() {
        const QString page = server.url("g/fails.html");
        const QString folder = Folder("fails");
        SetPictures({"f.png"});
        server.setFile("/g/fails.html", GalleryPage({"f.png"}));
        QCOMPARE(Run({"--watch", "--download", folder, page}).exitCode, 0);
        server.setRoute("/g/fails.html", {500, "text/html", "broken", {}});
        const ToolRun failed = Run({"--check-watches", page});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY2(failed.output.contains(page + ": failed: "), qPrintable(failed.output));
        QCOMPARE(Listed(page).value("result").toString(), QString("failed"));
        QVERIFY(!Listed(page).value("reason").toString().isEmpty());
        server.setFile("/g/fails.html", "<title>signed out</title>");
        QCOMPARE(Run({"--check-watches", page}).exitCode, 1);
        QVERIFY(Listed(page).value("reason").toString().contains("no picture"));
        server.setFile("/g/fails.html", GalleryPage({"f.png"}));
        QCOMPARE(Run({"--check-watches", page}).exitCode, 0);
        QCOMPARE(Listed(page).value("result").toString(), QString("ok"));

        const ToolRun removed = Run({"--unwatch", page});
        QCOMPARE(removed.exitCode, 0);
        QVERIFY(Listed(page).isEmpty());
        QCOMPARE(filesIn(folder), QStringList({"f.png"}));
        QCOMPARE(Run({"--unwatch", page}).exitCode, 1);
    }

    // A check of a watch another process is checking leaves it to that one.
    void twoProcessesCheckAWatchOnce() {
        const QString page = server.url("g/slow.html");
        const QString folder = Folder("slow");
        server.setFile("/g/slow.html", "<a href='s.png'>s</a>");
        server.setRoute("/g/s.png", {200, "image/png", QByteArray(40, 's'), {}, 4, 200});
        server.clearRequests();
        QProcess* first = Start({"--watch", "--download", folder, page});
        QTRY_VERIFY_WITH_TIMEOUT(Asked(server).contains("/g/s.png"), 60000);
        const ToolRun second = Run({"--check-watches", page});
        QVERIFY2(second.output.contains(page + ": another check"),
                 qPrintable(second.output + second.errors));
        QVERIFY(first->waitForFinished(60000));
        QCOMPARE(first->exitCode(), 0);
        QCOMPARE(Asked(server).count("/g/s.png"), 1);
        QCOMPARE(filesIn(folder), QStringList({"s.png"}));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(WatchToolTest)
#include "tst_watchtool.moc"
