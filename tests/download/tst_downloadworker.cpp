#include "download/RecordingSink.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

namespace {

QByteArray BinaryBody(int size) {
    QByteArray body(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        body[i] = char((unsigned(i) * 7919u + unsigned(i) / 251u) & 0xffu); // NUL, CR LF, all
    return body;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The size of a file this process holds open in folder without a name there,
// or -1 when there is none.
qint64 UnnamedBytesIn(const QString& folder) {
    const QDir open(QStringLiteral("/proc/self/fd"));
    for (const QString& entry : open.entryList(QDir::Files | QDir::System)) {
        char target[4096] = {};
        const QByteArray link = QFile::encodeName(open.filePath(entry));
        if (::readlink(link.constData(), target, sizeof target - 1) > 0 &&
            QByteArray(target).startsWith(QFile::encodeName(folder) + '/') &&
            QByteArray(target).endsWith(" (deleted)"))
            return QFileInfo(open.filePath(entry)).size();
    }
    return -1;
}

HttpRoute SlowRoute(const QByteArray& body, int chunkSize, int delayMs) {
    HttpRoute route;
    route.contentType = "image/jpeg";
    route.body = body;
    route.chunkSize = chunkSize;
    route.chunkDelayMs = delayMs;
    return route;
}

} // namespace

class DownloadWorkerTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer* server = nullptr;
    QTemporaryDir* folder = nullptr;

    QString Path(const QString& name) const { return folder->filePath(name); }

    // Each name saved into the folder from the server's path of that name.
    DownloadJob Job(const QStringList& names) const {
        DownloadJob job;
        for (const QString& name : names)
            job.Add(folder->path(), name, server->url(name));
        return job;
    }

private slots:
    void init() {
        server = new LoopbackHttpServer(this);
        QVERIFY(server->start());
        folder = new QTemporaryDir;
        QVERIFY(folder->isValid());
    }
    void cleanup() {
        delete folder;
        delete server;
    }

    // Cookies go only to the host they belong to, also along a redirect, and
    // each hop gets the Referer the page gives its address (another host: the
    // origin only). A local page may list local files. A name without an
    // extension takes its type's, replacing no other file of the job.
    void savesEveryFileByteForByteAndReportsInOrder() {
        const QByteArray picture = BinaryBody(100000);
        server->setFile("/a.jpg", picture, "image/jpeg");
        server->setFile("/empty.gif", QByteArray(), "image/gif");
        HttpRoute hop;
        hop.status = 302;
        hop.headers = {
            {"Location", QStringLiteral("http://localhost:%1/a.jpg").arg(server->port()).toUtf8()}};
        server->setRoute("/hop.jpg", hop);
        server->setFile("/render", "typed", "image/png; charset=binary");
        server->setFile("/render.png", "listed", "image/png");
        QTemporaryDir local;
        QVERIFY(WriteFile(local.filePath("local.png"), "local bytes"));
        DownloadJob job;
        job.Page = QUrl(server->url("gallery.html?token=1#top"));
        job.Add(folder->path(), "a.jpg", server->url("a.jpg"));
        job.Add(folder->path(), "empty.gif", server->url("empty.gif"));
        job.Add(folder->path(), "local.png",
                QUrl::fromLocalFile(local.filePath("local.png")).toString());
        job.Add(folder->path(), "hop.jpg", server->url("hop.jpg"));
        job.Add(folder->path(), "render", server->url("render"));
        job.Add(folder->path(), "render (2)", server->url("render"));
        job.Add(folder->path(), "render.png", server->url("render.png"));
        job.CookieLines = {"127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tabc",
                           "127.0.0.1\tFALSE\t/\tFALSE\t0\ttheme\tdark"};
        job.FileSourcesAllowed = true;

        WorkerRun run(job);
        QVERIFY(run.RunToEnd());
        QCOMPARE(run.saved.load(), 7);
        QCOMPARE(ReadFile(Path("a.jpg")), picture);
        QCOMPARE(ReadFile(Path("empty.gif")), QByteArray());
        QCOMPARE(ReadFile(Path("local.png")), QByteArray("local bytes"));
        QCOMPARE(ReadFile(Path("hop.jpg")), picture);
        QCOMPARE(ReadFile(Path("render (2) (2).png")), QByteArray("typed"));
        QCOMPARE(ReadFile(Path("render.png")), QByteArray("listed"));
        QCOMPARE(FilesIn(folder->path()),
                 QStringList({"a.jpg", "empty.gif", "hop.jpg", "local.png", "render (2) (2).png",
                              "render (2).png", "render.png"}));
        QCOMPARE(
            run.reports->Events(),
            QStringList({"animation started", "files left 7", "saved a.jpg", "files left 6",
                         "saved empty.gif", "files left 5", "saved local.png", "files left 4",
                         "saved hop.jpg", "files left 3", "saved render (2).png", "files left 2",
                         "saved render (2) (2).png", "files left 1", "saved render.png",
                         "files left 0", "message Download complete", "animation stopped"}));
        const auto requests = server->requests();
        QCOMPARE(requests.size(), 7);
        QCOMPARE(requests[0].headers.value("user-agent"), QByteArray("Quillmar"));
        QCOMPARE(requests[0].headers.value("cookie"), QByteArray("session=abc; theme=dark"));
        const QByteArray page = server->url("gallery.html?token=1").toUtf8();
        QCOMPARE(requests[1].headers.value("referer"), page);
        QCOMPARE(requests[2].headers.value("cookie"), QByteArray("session=abc; theme=dark"));
        QCOMPARE(requests[2].headers.value("referer"), page);
        QVERIFY(requests[3].headers.value("host").startsWith("localhost"));
        QVERIFY(!requests[3].headers.contains("cookie"));
        QCOMPARE(requests[3].headers.value("referer"), server->url().toUtf8());
    }

    // Only a whole resource from an address the page may name is saved.
    void savesOnlyWholeAllowedResources_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("header"); // "Name: value", or empty
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("source"); // empty: the server's route
        QTest::addColumn<bool>("localPage");
        QTest::addColumn<QString>("reason"); // empty: saved with the picture's bytes
        const QByteArray picture = "picture bytes";
        QTest::newRow("compressed") << 200 << QByteArray("Content-Encoding: deflate")
                                    << qCompress(picture).mid(4) << QString() << false << "";
        QTest::newRow("no content")
            << 204 << QByteArray() << QByteArray() << QString() << false << "server answered 204";
        QTest::newRow("reset content")
            << 205 << QByteArray() << QByteArray() << QString() << false << "server answered 205";
        QTest::newRow("redirect without location")
            << 302 << QByteArray() << picture << QString() << false << "server answered 302";
        QTest::newRow("redirect to a local file")
            << 302 << QByteArray("Location: file:///etc/hostname") << picture << QString() << true
            << "not allowed from this page";
        QTest::newRow("redirect loop") << 302 << QByteArray("Location: /x.jpg") << picture
                                       << QString() << false << "Maximum (20) redirects followed";
        QTest::newRow("local file from a web page")
            << 200 << QByteArray() << picture << "file:///etc/hostname?.jpg" << false
            << "not allowed from this page";
        QTest::newRow("other scheme") << 200 << QByteArray() << picture << "data:,picture%20bytes"
                                      << true << "not allowed from this page";
        QTest::newRow("device") << 200 << QByteArray() << picture << "file:///dev/zero?.jpg" << true
                                << "not a regular file";
        QTest::newRow("folder") << 200 << QByteArray() << picture << "file:///tmp" << true
                                << "not a regular file";
    }
    void savesOnlyWholeAllowedResources() {
        QFETCH(int, status);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, body);
        QFETCH(QString, source);
        QFETCH(bool, localPage);
        QFETCH(QString, reason);
        HttpRoute route;
        route.status = status;
        route.body = body;
        if (!header.isEmpty())
            route.headers = {
                {header.left(header.indexOf(':')), header.mid(header.indexOf(':') + 1).trimmed()}};
        server->setRoute("/x.jpg", route);
        DownloadJob job;
        job.Add(folder->path(), "x.jpg", source.isEmpty() ? server->url("x.jpg") : source);
        job.FileSourcesAllowed = localPage;

        WorkerRun run(job);
        QVERIFY(run.RunToEnd());
        if (reason.isEmpty()) {
            QCOMPARE(ReadFile(Path("x.jpg")), QByteArray("picture bytes"));
            return;
        }
        QCOMPARE(FilesIn(folder->path()), QStringList());
        QCOMPARE(run.reports->Failures().size(), 1);
        QVERIFY2(run.reports->Failures()[0].startsWith("x.jpg: " + reason),
                 qPrintable(run.reports->Failures()[0]));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 0 of 1 files saved."}));
    }

    // Nothing that did not arrive whole or could not be written (here: past
    // the process's file size limit) is left under the destination name, a
    // file already there survives a failed download, and the rest go on.
    void failedTransfersLeaveNoFile() {
        server->setFile("/good.jpg", "good", "image/jpeg");
        server->setFile("/big.jpg", BinaryBody(1024 * 1024), "image/jpeg");
        HttpRoute cutOff = SlowRoute(BinaryBody(50000), 0, 0);
        cutOff.cutAfter = 20000;
        server->setRoute("/cut.jpg", cutOff);
        HttpRoute serverError;
        serverError.status = 403;
        serverError.body = "<html>broken</html>";
        server->setRoute("/broken.jpg", serverError);
        QVERIFY(WriteFile(Path("kept.jpg"), "earlier download"));
        DownloadJob job = Job({"missing.jpg", "broken.jpg", "good.jpg", "cut.jpg", "big.jpg"});
        job.Add(folder->path(), "kept.jpg", server->url("also-missing.jpg"));
        job.Add(folder->path(), "far.jpg", "http://no-such-host.invalid/far.jpg");
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        const auto restore = qScopeGuard([&] {
            setrlimit(RLIMIT_FSIZE, &previous);
            signal(SIGXFSZ, SIG_DFL);
        });
        signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = 200 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);

        WorkerRun run(job);
        QVERIFY(run.RunToEnd(60000));
        QCOMPARE(FilesIn(folder->path()), QStringList({"good.jpg", "kept.jpg"}));
        QCOMPARE(ReadFile(Path("kept.jpg")), QByteArray("earlier download"));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({7, 6, 5, 4, 3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 7 files saved."}));
        const QStringList failures = run.reports->Failures();
        QCOMPARE(failures.size(), 6);
        QCOMPARE(failures[0], QStringLiteral("missing.jpg: server answered 404"));
        QCOMPARE(failures[1], QStringLiteral("broken.jpg: server answered 403"));
        QVERIFY2(failures[3].startsWith("big.jpg: cannot write file"), qPrintable(failures[3]));
        QVERIFY(failures[5].startsWith("far.jpg: "));
    }

    // Part of the body is on disk in an unnamed file while the rest is still
    // on its way; the destination name appears only at the end. Progress is
    // reported a few times a second, each time with a higher percentage.
    void largeSlowBodyIsStreamedToDiskUnnamed() {
        const QByteArray body = BinaryBody(16 * 1024 * 1024 + 123);
        server->setRoute("/slow.jpg", SlowRoute(body, 256 * 1024, 20));
        WorkerRun run(Job({"slow.jpg"}));
        QElapsedTimer running;
        running.start();
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(UnnamedBytesIn(folder->path()) > 0 && !run.Done(), 30000);
        QCOMPARE(FilesIn(folder->path()), QStringList());
        QVERIFY(run.WaitDone(60000));
        const qint64 elapsed = running.elapsed();
        QCOMPARE(FilesIn(folder->path()), QStringList({"slow.jpg"}));
        QVERIFY(ReadFile(Path("slow.jpg")) == body);
        const QStringList progress = run.reports->Matching("progress 0 ");
        QVERIFY(progress.size() >= 2 && progress.size() <= elapsed / 250 + 1);
        qint64 percent = -1;
        for (const QString& report : progress) {
            QCOMPARE(report.section(' ', 1).toLongLong(), qint64(body.size()));
            QVERIFY(report.section(' ', 0, 0).toLongLong() * 100 / body.size() > percent);
            percent = report.section(' ', 0, 0).toLongLong() * 100 / body.size();
        }
        QCOMPARE(run.reports->All().mid(run.reports->All().size() - 4),
                 QStringList({"saved slow.jpg", "files left 0", "message Download complete",
                              "animation stopped"}));
    }

    // A cancel removes the part-written file and starts nothing more, even
    // when the worker has not started yet. (A stalled server: the registry's test.)
    void cancelEndsTheRunningEntryAndNothingAfter() {
        server->setFile("/one.jpg", "one", "image/jpeg");
        server->setRoute("/two.jpg", SlowRoute(BinaryBody(4 * 1024 * 1024), 16 * 1024, 50));
        WorkerRun run(Job({"one.jpg", "two.jpg", "three.jpg"}));
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(UnnamedBytesIn(folder->path()) > 0, 30000);
        run.worker.RequestCancel();
        QVERIFY(run.WaitDone(10000));
        QCOMPARE(FilesIn(folder->path()), QStringList({"one.jpg"}));
        QCOMPARE(UnnamedBytesIn(folder->path()), -1);
        QCOMPARE(run.reports->FilesLeft(), QList<int>({3, 2, 1}));
        QVERIFY(run.reports->Messages().isEmpty());
        QVERIFY(run.reports->Ended());

        WorkerRun cancelledFirst(Job({"two.jpg", "next.jpg"}));
        cancelledFirst.worker.RequestCancel();
        QVERIFY(cancelledFirst.RunToEnd(10000));
        QCOMPARE(cancelledFirst.reports->Events(),
                 QStringList({"animation started", "files left 2", "animation stopped"}));
        QCOMPARE(FilesIn(folder->path()), QStringList({"one.jpg"}));
        QCOMPARE(server->requests().size(), 2); // one.jpg and two.jpg, nothing after
    }

    // Four at once: each file is reported once as it ends, files left only goes
    // down, and passing failures (a busy server, an empty reply) are tried again.
    void parallelTransfersReportAndRetryEachFileOnce() {
        HttpRoute busy;
        busy.status = 503;
        HttpRoute waitFour = busy;
        waitFour.headers = {{"Retry-After", "4"}};
        HttpRoute waitLong = busy;
        waitLong.headers = {{"Retry-After", "120"}};
        HttpRoute broken;
        broken.status = 500;
        HttpRoute hangUp; // on a new connection: on a reused one the library itself tries again
        hangUp.hangUp = true;
        server->setRoutes("/later.jpg", {waitFour, SlowRoute("later", 0, 0)});
        server->setRoutes("/dropped.jpg", {hangUp, SlowRoute("dropped", 0, 0)});
        server->setRoutes("/flaky.jpg", {busy, busy, SlowRoute("flaky", 0, 0)});
        server->setRoute("/too-long.jpg", waitLong);
        server->setRoute("/broken.jpg", broken);
        const QStringList quick = {"q1.jpg", "q2.jpg", "q3.jpg", "q4.jpg", "q5.jpg"};
        for (const QString& name : quick)
            server->setFile("/" + name.toUtf8(), name.toUtf8(), "image/jpeg");
        DownloadJob job = Job(QStringList({"later.jpg", "dropped.jpg", "flaky.jpg", "too-long.jpg",
                                           "broken.jpg", "gone.jpg"}) +
                              quick);
        job.Parallel = 4;

        WorkerRun run(job);
        QVERIFY(run.RunToEnd(60000));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 8 of 11 files saved."}));
        QCOMPARE(FilesIn(folder->path()),
                 QStringList({"dropped.jpg", "flaky.jpg", "later.jpg", "q1.jpg", "q2.jpg", "q3.jpg",
                              "q4.jpg", "q5.jpg"}));
        QCOMPARE(ReadFile(Path("flaky.jpg")), QByteArray("flaky"));
        QStringList failures = run.reports->Failures();
        failures.sort();
        QCOMPARE(failures, QStringList({"broken.jpg: server answered 500 (4 tries)",
                                        "gone.jpg: server answered 404",
                                        "too-long.jpg: server answered 503, asked to wait 120 "
                                        "seconds"}));
        const QStringList saved = run.reports->Matching("saved ");
        QCOMPARE(saved.size(), 8);
        QCOMPARE(saved.last(), QStringLiteral("later.jpg")); // the first listed, the last done
        QMap<QByteArray, QList<qint64>> arrivals;
        for (const auto& request : server->requests())
            arrivals[request.path].append(request.atMs);
        QCOMPARE(arrivals["/flaky.jpg"].size(), 3);
        QCOMPARE(arrivals["/broken.jpg"].size(), 4);
        QCOMPARE(arrivals["/gone.jpg"].size(), 1);
        QCOMPARE(arrivals["/too-long.jpg"].size(), 1);
        QCOMPARE(arrivals["/later.jpg"].size(), 2);
        QVERIFY(arrivals["/later.jpg"][1] - arrivals["/later.jpg"][0] >= 3900);
        QVERIFY(arrivals["/flaky.jpg"][2] - arrivals["/flaky.jpg"][0] >= 2900); // 1 s, then 2 s
    }

    // The server sees four requests at once and no fifth; a cancel ends them
    // all within about a second and leaves no file, named or not.
    void cancelStopsEveryParallelTransfer() {
        const QStringList names = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"};
        for (const QString& name : names)
            server->setRoute("/" + name.toUtf8(),
                             SlowRoute(BinaryBody(4 * 1024 * 1024), 16 * 1024, 50));
        DownloadJob job = Job(names);
        job.Parallel = 4;
        WorkerRun run(job);
        run.Start();
        QTRY_COMPARE_WITH_TIMEOUT(server->requests().size(), 4, 30000);
        QTest::qWait(500);
        QCOMPARE(server->requests().size(), 4);
        QVERIFY(UnnamedBytesIn(folder->path()) > 0);

        QElapsedTimer cancelling;
        cancelling.start();
        run.worker.RequestCancel();
        QVERIFY(run.WaitDone(10000));
        QVERIFY2(cancelling.elapsed() < 1500, qPrintable(QString::number(cancelling.elapsed())));
        QCOMPARE(FilesIn(folder->path()), QStringList());
        QCOMPARE(UnnamedBytesIn(folder->path()), -1);
        QCOMPARE(run.reports->FilesLeft(), QList<int>({6, 5, 4, 3, 2}));
        QCOMPARE(run.reports->Failures().filter(": cancelled").size(), 4);
        QVERIFY(run.reports->Messages().isEmpty());
    }

    // Names come from pages: none may reach outside the chosen folder.
    void destinationsThatCannotBeWrittenAreSkipped() {
        server->setFile("/x.jpg", "new", "image/jpeg");
        const QString inner = Path("inner");
        QVERIFY(QDir().mkpath(inner));
        QVERIFY(WriteFile(inner + "/existing.jpg", "older and longer content"));
        DownloadJob job;
        for (const QString& name :
             {QString(), QString("."), QString(".."), QString("../escape.jpg"),
              QString("sub/x.jpg"), QString("nul") + QChar(u'\0') + "x.jpg"})
            job.Add(inner, name, server->url("x.jpg"));
        job.Add(Path("removed"), "x.jpg", server->url("x.jpg")); // a folder that is gone
        job.Add(inner, "existing.jpg", server->url("x.jpg"));

        WorkerRun run(job);
        QVERIFY(run.RunToEnd());
        QCOMPARE(FilesIn(inner), QStringList({"existing.jpg"}));
        QCOMPARE(ReadFile(inner + "/existing.jpg"), QByteArray("new"));
        QCOMPARE(FilesIn(folder->path()), QStringList());
        QVERIFY(!QFileInfo::exists(Path("removed")));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({8, 7, 6, 5, 4, 3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 8 files saved."}));
        QCOMPARE(server->requests().size(), 1);
    }
};

QUILLMAR_TEST_MAIN(DownloadWorkerTest)
#include "tst_downloadworker.moc"
