#include "controls/CAnimation.h"
#include "controls/CDigitCounter.h"
#include "download/DownloadProgressSink.h"
#include "download/DownloadRegistry.h"
#include "download/DownloadReport.h"
#include "download/DownloadWorker.h"
#include "download/FrameDownloadSink.h"
#include "download/RefererPolicy.h"
#include "frame/CMainFrame.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QMutex>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

namespace {

// Everything a worker reported, one line per report in order, readable while it runs.
class WorkerReports {
public:
    void Add(const QString& event) {
        QMutexLocker guard(&mutex);
        events.append(event);
    }
    // A copy with a buffer of its own: a shared copy would let the worker's
    // next append reuse the buffer this thread has just read.
    QStringList All() const {
        QMutexLocker guard(&mutex);
        return QStringList(events.cbegin(), events.cend());
    }
    // Every report but progress, which comes as the network pleases.
    QStringList Events() const {
        QStringList all = All();
        all.removeIf([](const QString& event) { return event.startsWith("progress "); });
        return all;
    }
    // The reports starting with prefix, without it.
    QStringList Matching(const QString& prefix) const {
        QStringList found;
        for (const QString& event : All())
            if (event.startsWith(prefix))
                found.append(event.mid(prefix.size()));
        return found;
    }
    QStringList Messages() const { return Matching("message "); }
    QStringList Failures() const { return Matching("failed "); }
    bool Ended() const { return All().contains("animation stopped"); }

private:
    mutable QMutex mutex;
    QStringList events;
};

class RecordingSink : public DownloadProgressSink {
public:
    explicit RecordingSink(std::shared_ptr<WorkerReports> reports) : reports(std::move(reports)) {}
    void AnimationStarted() override { reports->Add("animation started"); }
    void AnimationStopped() override { reports->Add("animation stopped"); }
    void FilesLeft(int count) override { reports->Add(QStringLiteral("files left %1").arg(count)); }
    void Message(const QString& text) override { reports->Add("message " + text); }
    void FileFinished(int, const QString& name, bool saved, const QString& reason) override {
        reports->Add(saved ? "saved " + name : QStringLiteral("failed %1: %2").arg(name, reason));
    }
    void FileProgress(int index, qint64 received, qint64 total) override {
        reports->Add(QStringLiteral("progress %1 %2 %3").arg(index).arg(received).arg(total));
    }

private:
    std::shared_ptr<WorkerReports> reports;
};

// One worker running a job on a thread of its own while the test's event loop
// serves the requests.
struct WorkerRun {
    explicit WorkerRun(DownloadJob job)
        : worker(std::move(job), std::make_unique<RecordingSink>(reports)) {}
    ~WorkerRun() {
        worker.RequestCancel();
        if (thread.joinable())
            thread.join();
    }
    void Start() {
        thread = std::thread([this] { worker.Run(); });
    }
    // The worker's last report is that its animation stopped.
    bool WaitDone(int timeoutMs = 30000) {
        return QTest::qWaitFor([this] { return reports->Ended(); }, timeoutMs);
    }
    bool RunToEnd(int timeoutMs = 30000) {
        Start();
        return WaitDone(timeoutMs);
    }

    std::shared_ptr<WorkerReports> reports = std::make_shared<WorkerReports>();
    DownloadWorker worker;
    std::thread thread;
};

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

HttpRoute Answer(const QByteArray& body, int status = 200, int chunkSize = 0, int delayMs = 0) {
    HttpRoute route;
    route.status = status;
    route.contentType = "image/jpeg";
    route.body = body;
    route.chunkSize = chunkSize;
    route.chunkDelayMs = delayMs;
    return route;
}

} // namespace

// The download worker, the registry that runs workers on threads, and the sink
// that shows their reports in a frame.
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

    // Starts a worker for name and returns what it reports.
    std::shared_ptr<WorkerReports> Start(DownloadRegistry& registry, const QString& name) {
        auto reports = std::make_shared<WorkerReports>();
        return registry.Start(Job({name}), std::make_unique<RecordingSink>(reports)) ? reports
                                                                                     : nullptr;
    }

private slots:
    void init() {
        server = new LoopbackHttpServer(this);
        QVERIFY(server->start());
        HttpRoute stalled;
        stalled.stall = true;
        server->setRoute("/stall.jpg", stalled);
        server->setRoute("/stall2.jpg", stalled);
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
        HttpRoute hop = Answer("", 302);
        hop.headers = {
            {"Location", QStringLiteral("http://localhost:%1/a.jpg").arg(server->port()).toUtf8()}};
        server->setRoute("/hop.jpg", hop);
        server->setFile("/render", "typed", "image/png; charset=binary");
        server->setFile("/render.png", "listed", "image/png");
        QTemporaryDir local;
        QVERIFY(WriteFile(local.filePath("local.png"), "local bytes"));
        DownloadJob job = Job({"a.jpg", "empty.gif"});
        job.Page = QUrl(server->url("gallery.html?token=1#top"));
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
        QCOMPARE(ReadFile(Path("a.jpg")), picture);
        QCOMPARE(ReadFile(Path("empty.gif")), QByteArray());
        QCOMPARE(ReadFile(Path("local.png")), QByteArray("local bytes"));
        QCOMPARE(ReadFile(Path("hop.jpg")), picture);
        QCOMPARE(ReadFile(Path("render (2) (2).png")), QByteArray("typed"));
        QCOMPARE(ReadFile(Path("render.png")), QByteArray("listed"));
        QCOMPARE(testsupport::filesIn(folder->path()),
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
        const auto row = [&](const char* name, int status, const QByteArray& header,
                             const QByteArray& body, const QString& source, bool local,
                             const QString& reason) {
            QTest::newRow(name) << status << header << body << source << local << reason;
        };
        row("compressed", 200, "Content-Encoding: deflate", qCompress(picture).mid(4), "", false,
            "");
        row("no content", 204, "", "", "", false, "server answered 204");
        row("reset content", 205, "", "", "", false, "server answered 205");
        row("redirect without location", 302, "", picture, "", false, "server answered 302");
        row("redirect to a local file", 302, "Location: file:///etc/hostname", picture, "", true,
            "not allowed from this page");
        row("redirect loop", 302, "Location: /x.jpg", picture, "", false,
            "Maximum (20) redirects followed");
        row("local file from a web page", 200, "", picture, "file:///etc/hostname?.jpg", false,
            "not allowed from this page");
        row("other scheme", 200, "", picture, "data:,picture%20bytes", true,
            "not allowed from this page");
        row("device", 200, "", picture, "file:///dev/zero?.jpg", true, "not a regular file");
    }
    void savesOnlyWholeAllowedResources() {
        QFETCH(int, status);
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, body);
        QFETCH(QString, source);
        QFETCH(bool, localPage);
        QFETCH(QString, reason);
        HttpRoute route = Answer(body, status);
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
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList());
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
        HttpRoute cutOff = Answer(BinaryBody(50000));
        cutOff.cutAfter = 20000;
        server->setRoute("/cut.jpg", cutOff);
        QVERIFY(WriteFile(Path("kept.jpg"), "earlier download"));
        DownloadJob job = Job({"cut.jpg", "big.jpg", "good.jpg"});
        job.Add(folder->path(), "kept.jpg", server->url("missing.jpg"));
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
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList({"good.jpg", "kept.jpg"}));
        QCOMPARE(ReadFile(Path("kept.jpg")), QByteArray("earlier download"));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 4 files saved."}));
        const QStringList failures = run.reports->Failures();
        QCOMPARE(failures.size(), 3);
        QVERIFY2(failures[1].startsWith("big.jpg: cannot write file"), qPrintable(failures[1]));
    }

    // Part of the body is on disk in an unnamed file while the rest is still
    // on its way; the destination name appears only at the end. Progress is
    // reported a few times a second, each time with a higher percentage.
    void largeSlowBodyIsStreamedToDiskUnnamed() {
        const QByteArray body = BinaryBody(16 * 1024 * 1024 + 123);
        server->setRoute("/slow.jpg", Answer(body, 200, 256 * 1024, 20));
        WorkerRun run(Job({"slow.jpg"}));
        QElapsedTimer running;
        running.start();
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(UnnamedBytesIn(folder->path()) > 0 && !run.reports->Ended(),
                                 30000);
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList());
        QVERIFY(run.WaitDone(60000));
        const qint64 elapsed = running.elapsed();
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList({"slow.jpg"}));
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

    // Four at once, and no fifth until one ends; a cancel ends them all within
    // about a second, starts nothing more and leaves no file, named or not,
    // also when it comes before the worker starts.
    void cancelStopsEveryTransferAndStartsNoMore() {
        server->setFile("/one.jpg", "one", "image/jpeg");
        const QStringList slow = {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"};
        for (const QString& name : slow)
            server->setRoute("/" + name.toUtf8(),
                             Answer(BinaryBody(4 * 1024 * 1024), 200, 16 * 1024, 50));
        DownloadJob job = Job(QStringList("one.jpg") + slow);
        job.Parallel = 4;
        WorkerRun run(job);
        run.Start();
        QTRY_COMPARE_WITH_TIMEOUT(server->requests().size(), 5, 30000);
        QTest::qWait(500);
        QCOMPARE(server->requests().size(), 5);
        QVERIFY(UnnamedBytesIn(folder->path()) > 0);

        QElapsedTimer cancelling;
        cancelling.start();
        run.worker.RequestCancel();
        QVERIFY(run.WaitDone(10000));
        QVERIFY2(cancelling.elapsed() < 1500, qPrintable(QString::number(cancelling.elapsed())));
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList({"one.jpg"}));
        QCOMPARE(UnnamedBytesIn(folder->path()), -1);
        QCOMPARE(run.reports->Matching("files left ").join(' '), QStringLiteral("7 6 5 4 3 2"));
        QCOMPARE(run.reports->Failures().filter(": cancelled").size(), 4);
        QVERIFY(run.reports->Messages().isEmpty());
        QVERIFY(run.reports->Ended());

        WorkerRun cancelledFirst(Job({"a.jpg", "next.jpg"}));
        cancelledFirst.worker.RequestCancel();
        QVERIFY(cancelledFirst.RunToEnd(10000));
        QCOMPARE(cancelledFirst.reports->Events(),
                 QStringList({"animation started", "files left 2", "animation stopped"}));
        QCOMPARE(server->requests().size(), 5);
    }

    // Four at once: each file is reported once as it ends, files left only goes
    // down, and passing failures (a busy server, an empty reply) are tried again.
    void parallelTransfersReportAndRetryEachFileOnce() {
        const HttpRoute busy = Answer("", 503);
        HttpRoute waitFour = busy;
        waitFour.headers = {{"Retry-After", "4"}};
        HttpRoute waitLong = busy;
        waitLong.headers = {{"Retry-After", "120"}};
        HttpRoute hangUp; // on a new connection: on a reused one the library itself tries again
        hangUp.hangUp = true;
        server->setRoutes("/later.jpg", {waitFour, Answer("later")});
        server->setRoutes("/dropped.jpg", {hangUp, Answer("dropped")});
        server->setRoutes("/flaky.jpg", {busy, busy, Answer("flaky")});
        server->setRoute("/too-long.jpg", waitLong);
        server->setRoute("/broken.jpg", Answer("", 500));
        const QStringList quick = {"q1.jpg", "q2.jpg", "q3.jpg", "q4.jpg", "q5.jpg"};
        for (const QString& name : quick)
            server->setFile("/" + name.toUtf8(), name.toUtf8(), "image/jpeg");
        DownloadJob job = Job(QStringList({"later.jpg", "dropped.jpg", "flaky.jpg", "too-long.jpg",
                                           "broken.jpg", "gone.jpg"}) +
                              quick);
        job.Parallel = 4;

        WorkerRun run(job);
        QVERIFY(run.RunToEnd(60000));
        QCOMPARE(run.reports->Matching("files left ").join(' '),
                 QStringLiteral("11 10 9 8 7 6 5 4 3 2 1 0"));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 8 of 11 files saved."}));
        QCOMPARE(testsupport::filesIn(folder->path()),
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
        QCOMPARE(arrivals["/later.jpg"].size(), 2);
        QVERIFY(arrivals["/later.jpg"][1] - arrivals["/later.jpg"][0] >= 3900);
        QVERIFY(arrivals["/flaky.jpg"][2] - arrivals["/flaky.jpg"][0] >= 2900); // 1 s, then 2 s
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
        QCOMPARE(testsupport::filesIn(inner), QStringList({"existing.jpg"}));
        QCOMPARE(ReadFile(inner + "/existing.jpg"), QByteArray("new"));
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList());
        QVERIFY(!QFileInfo::exists(Path("removed")));
        QCOMPARE(run.reports->Matching("files left ").join(' '),
                 QStringLiteral("8 7 6 5 4 3 2 1 0"));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 8 files saved."}));
        QCOMPARE(server->requests().size(), 1);
    }

    void namesEveryAddressOfAJobApart_data() {
        QTest::addColumn<QStringList>("lines"); // name=address
        QTest::addColumn<QStringList>("names"); // the files the job writes
        QTest::addColumn<QStringList>("sources");
        QTest::newRow("one name, three addresses")
            << QStringList{"large.jpg=1", "large.jpg=2", "large.jpg=3"}
            << QStringList{"large.jpg", "large (2).jpg", "large (3).jpg"}
            << QStringList{"1", "2", "3"};
        QTest::newRow("an address twice is fetched once")
            << QStringList{"a.gif=1", "a.gif=1", "a.gif=2"} << QStringList{"a.gif", "a (2).gif"}
            << QStringList{"1", "2"};
        QTest::newRow("a number already taken is skipped")
            << QStringList{"a (2).gif=1", "a.gif=2", "a.gif=3"}
            << QStringList{"a (2).gif", "a.gif", "a (3).gif"} << QStringList{"1", "2", "3"};
        QTest::newRow("no extension, hidden name, last dot")
            << QStringList{"photo=1", "photo=2", ".gif=3", ".gif=4", "a.b.png=5", "a.b.png=6"}
            << QStringList{"photo", "photo (2)", ".gif", ".gif (2)", "a.b.png", "a.b (2).png"}
            << QStringList{"1", "2", "3", "4", "5", "6"};
        QTest::newRow("names differing in case are different files")
            << QStringList{"A.jpg=1", "a.jpg=2"} << QStringList{"A.jpg", "a.jpg"}
            << QStringList{"1", "2"};
    }
    void namesEveryAddressOfAJobApart() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, names);
        QFETCH(QStringList, sources);
        DownloadJob job;
        for (const QString& line : lines)
            job.AddListed("/f", line.section('=', 0, 0), line.section('=', 1));
        QCOMPARE(job.Names, names);
        QCOMPARE(job.Sources, sources);
        QCOMPARE(job.Count, int(names.size()));
        QCOMPARE(job.Destinations.last(), QStringLiteral("/f") + QDir::separator() + names.last());
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

    // The first worker to end must not clear the state of one still running;
    // a cancel stops the workers running when it is made, no later one.
    void registryRunsUntilTheLastWorkerEnds() {
        server->setFile("/quick.jpg", "quick", "image/jpeg");
        DownloadRegistry registry;
        QVERIFY(!registry.DownloadRunning());
        auto stalled = Start(registry, "stall.jpg");
        auto quick = Start(registry, "quick.jpg");
        QVERIFY(stalled && quick);
        QCOMPARE(registry.RunningCount(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(quick->Ended(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(registry.RunningCount(), 1, 10000);
        QVERIFY(registry.DownloadRunning());

        QTRY_COMPARE_WITH_TIMEOUT(server->requests().size(), 2, 30000);
        registry.RequestCancelAll();
        auto startedAfter = Start(registry, "quick.jpg");
        QTRY_VERIFY_WITH_TIMEOUT(stalled->Ended() && startedAfter->Ended(), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!registry.DownloadRunning(), 10000);
        QVERIFY(stalled->Messages().isEmpty());
        QCOMPARE(startedAfter->Messages(), QStringList({"Download complete"}));
        QCOMPARE(testsupport::filesIn(folder->path()), QStringList({"quick.jpg"}));
    }

    void cancelAllAndWaitEndsEveryWorkerBeforeReturning() {
        auto registry = std::make_unique<DownloadRegistry>();
        auto first = Start(*registry, "stall.jpg");
        auto second = Start(*registry, "stall2.jpg");
        QTRY_COMPARE_WITH_TIMEOUT(server->requests().size(), 2, 30000);
        registry->CancelAllAndWait();
        QVERIFY(first->Ended() && second->Ended());
        QCOMPARE(registry->RunningCount(), 0);
        QVERIFY(testsupport::filesIn(folder->path()).isEmpty());

        // Destroying a registry waits for what still runs as well.
        auto third = Start(*registry, "stall.jpg");
        registry.reset();
        QVERIFY(third->Ended());
    }

    // Reports made on a worker thread wait for the interface thread's event
    // loop, so the command's own "Downloading..." always comes first. The
    // download report shows each file's progress and the name it was saved under.
    void frameSinkAppliesReportsInOrderOnlyFromTheEventLoop() {
        CMainFrame frame;
        QVERIFY(frame.Create());
        frame.m_filesLeft->SetNumber(7);
        DownloadJob job;
        job.Add("/f", "render", "http://a.test/render");
        job.Add("/f", "b.jpg", "http://a.test/b.jpg");
        const int reported = DownloadReport::For(frame).AddJob("/f", job);
        FrameDownloadSink sink(&frame, reported);
        std::thread worker([&sink] {
            sink.AnimationStarted();
            sink.FileProgress(1, 50, 200);
            sink.FileFinished(0, "render.png", true, QString());
            sink.FilesLeft(3);
            sink.FilesLeft(2);
            sink.Message(QStringLiteral("Download complete: 2 of 3 files saved."));
        });
        worker.join();
        frame.m_messageLine->setText(QStringLiteral("Downloading..."));
        QCOMPARE(frame.m_filesLeft->Text(), QStringLiteral("7"));
        QVERIFY(!frame.m_animation->IsPlaying());

        QTRY_COMPARE(frame.m_messageLine->text(),
                     QStringLiteral("Download complete: 2 of 3 files saved."));
        QCOMPARE(frame.m_filesLeft->Text(), QStringLiteral("2"));
        QVERIFY(frame.m_animation->IsPlaying());
        const QList<DownloadReport::File> files =
            DownloadReport::For(frame).FindJob(reported)->files;
        QCOMPARE(files[0].destination, QStringLiteral("/f") + QDir::separator() + "render.png");
        QCOMPARE(DownloadReport::OutcomeText(files[1]), QStringLiteral("downloading 25 %"));

        // The first worker to end must not stop the animation of one still
        // running; files left is the sum over the workers running.
        FrameDownloadSink second(&frame);
        second.AnimationStarted();
        second.FilesLeft(5);
        QTRY_COMPARE(frame.m_filesLeft->Text(), QStringLiteral("7"));
        sink.AnimationStopped();
        second.FilesLeft(4);
        QTRY_COMPARE(frame.m_filesLeft->Text(), QStringLiteral("4"));
        QTest::qWait(50);
        QVERIFY(frame.m_animation->IsPlaying());
        second.AnimationStopped();
        QTRY_VERIFY(!frame.m_animation->IsPlaying());
    }

    void frameSinkDropsReportsForAClosedFrame() {
        auto* frame = new CMainFrame;
        QVERIFY(frame->Create());
        FrameDownloadSink sink(frame);
        sink.AnimationStarted();
        QTRY_VERIFY(frame->m_animation->IsPlaying());
        sink.Message(QStringLiteral("Download complete"));
        delete frame;
        QTest::qWait(50);
        sink.AnimationStopped();

        CMainFrame next;
        QVERIFY(next.Create());
        next.m_messageLine->setText(QStringLiteral("Downloading..."));
        FrameDownloadSink nextSink(&next);
        nextSink.AnimationStarted();
        nextSink.AnimationStopped();
        QTest::qWait(50);
        QVERIFY(!next.m_animation->IsPlaying());
        QCOMPARE(next.m_messageLine->text(), QStringLiteral("Downloading..."));
    }
};

QUILLMAR_TEST_MAIN(DownloadWorkerTest)
#include "tst_downloadworker.moc"
