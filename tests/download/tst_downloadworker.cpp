#include "download/RecordingSink.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

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

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
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

    bool RequestedPath(const QByteArray& path) const {
        const auto requests = server->requests();
        return std::any_of(requests.begin(), requests.end(),
                           [&](const auto& request) { return request.path == path; });
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

    void savesEveryFileByteForByteAndReportsInOrder() {
        const QByteArray picture = BinaryBody(100000);
        server->setFile("/a.jpg", picture, "image/jpeg");
        server->setFile("/empty.gif", QByteArray(), "image/gif");
        QTemporaryDir local;
        WriteFile(local.filePath("local.png"), "local bytes");
        DownloadJob job;
        job.Add(folder->path(), "a.jpg", server->url("a.jpg"));
        job.Add(folder->path(), "empty.gif", server->url("empty.gif"));
        job.Add(folder->path(), "local.png",
                QUrl::fromLocalFile(local.filePath("local.png")).toString());

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 30000);

        QCOMPARE(run.saved.load(), 3);
        QCOMPARE(ReadFile(Path("a.jpg")), picture);
        QCOMPARE(ReadFile(Path("empty.gif")), QByteArray());
        QCOMPARE(ReadFile(Path("local.png")), QByteArray("local bytes"));
        QCOMPARE(FilesIn(folder->path()), QStringList({"a.jpg", "empty.gif", "local.png"}));
        QCOMPARE(run.reports->Events(),
                 QStringList({"animation started", "files left 3", "saved a.jpg", "files left 2",
                              "saved empty.gif", "files left 1", "saved local.png", "files left 0",
                              "message Download complete", "animation stopped"}));
        QCOMPARE(server->requests().value(0).headers.value("user-agent"), QByteArray("Quillmar"));
    }

    // Nothing that did not arrive whole is left under the destination name, and
    // a file already there survives a failed download.
    void failedTransfersLeaveNoFile() {
        server->setFile("/good.jpg", "good", "image/jpeg");
        HttpRoute cutOff = SlowRoute(BinaryBody(50000), 0, 0);
        cutOff.cutAfter = 20000;
        server->setRoute("/cut.jpg", cutOff);
        HttpRoute serverError;
        serverError.status = 500;
        serverError.body = "<html>broken</html>";
        server->setRoute("/broken.jpg", serverError);
        WriteFile(Path("kept.jpg"), "earlier download");
        DownloadJob job;
        job.Add(folder->path(), "missing.jpg", server->url("missing.jpg")); // 404
        job.Add(folder->path(), "broken.jpg", server->url("broken.jpg"));
        job.Add(folder->path(), "kept.jpg", server->url("also-missing.jpg"));
        job.Add(folder->path(), "good.jpg", server->url("good.jpg"));
        job.Add(folder->path(), "cut.jpg", server->url("cut.jpg"));

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 30000);

        QCOMPARE(FilesIn(folder->path()), QStringList({"good.jpg", "kept.jpg"}));
        QCOMPARE(ReadFile(Path("kept.jpg")), QByteArray("earlier download"));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({5, 4, 3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 5 files saved."}));
        const QStringList failures = run.reports->Failures();
        QCOMPARE(failures.size(), 4);
        QCOMPARE(failures[0], QStringLiteral("missing.jpg: server answered 404"));
        QCOMPARE(failures[1], QStringLiteral("broken.jpg: server answered 500"));
    }

    // A full disk (here: the process's file size limit) ends the entry cleanly.
    void failedWriteLeavesNoFile() {
        server->setFile("/big.jpg", BinaryBody(1024 * 1024), "image/jpeg");
        server->setFile("/small.jpg", "small", "image/jpeg");
        DownloadJob job;
        job.Add(folder->path(), "big.jpg", server->url("big.jpg"));
        job.Add(folder->path(), "small.jpg", server->url("small.jpg"));

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
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 30000);
        QCOMPARE(FilesIn(folder->path()), QStringList({"small.jpg"}));
        QCOMPARE(run.reports->Failures().size(), 1);
        QVERIFY2(run.reports->Failures()[0].startsWith("big.jpg: cannot write file"),
                 qPrintable(run.reports->Failures()[0]));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 2 files saved."}));
    }

    void largeSlowBodyIsStreamedToDiskUnderAHiddenName() {
        const QByteArray body = BinaryBody(16 * 1024 * 1024 + 123);
        server->setRoute("/slow.jpg", SlowRoute(body, 256 * 1024, 20));
        DownloadJob job;
        job.Add(folder->path(), "slow.jpg", server->url("slow.jpg"));

        WorkerRun run(job);
        run.Start();
        // Part of the body is on disk while the rest is still on its way, and
        // the destination name appears only at the end.
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QStringList files = FilesIn(folder->path());
                return files.size() == 1 && files[0].startsWith('.') &&
                       QFileInfo(Path(files[0])).size() > 0 && !run.Done();
            }(),
            30000);
        QVERIFY(!QFile::exists(Path("slow.jpg")));
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 60000);
        QCOMPARE(FilesIn(folder->path()), QStringList({"slow.jpg"}));
        QVERIFY(ReadFile(Path("slow.jpg")) == body);
    }

    void unknownHostIsSkippedAndReported() {
        server->setFile("/one.jpg", "one", "image/jpeg");
        server->setFile("/three.jpg", "three", "image/jpeg");
        DownloadJob job;
        job.Add(folder->path(), "one.jpg", server->url("one.jpg"));
        job.Add(folder->path(), "two.jpg", "http://no-such-host.invalid/two.jpg");
        job.Add(folder->path(), "three.jpg", server->url("three.jpg"));

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 60000);

        QCOMPARE(FilesIn(folder->path()), QStringList({"one.jpg", "three.jpg"}));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 2 of 3 files saved."}));
        QCOMPARE(run.reports->Failures().size(), 1);
        QVERIFY(run.reports->Failures()[0].startsWith("two.jpg: "));
    }

    void cancelDuringSecondOfThreeRemovesIt() {
        server->setFile("/one.jpg", "one", "image/jpeg");
        server->setRoute("/two.jpg", SlowRoute(BinaryBody(4 * 1024 * 1024), 16 * 1024, 50));
        server->setFile("/three.jpg", "three", "image/jpeg");
        DownloadJob job;
        job.Add(folder->path(), "one.jpg", server->url("one.jpg"));
        job.Add(folder->path(), "two.jpg", server->url("two.jpg"));
        job.Add(folder->path(), "three.jpg", server->url("three.jpg"));

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(FilesIn(folder->path()).size() == 2 &&
                                     QFileInfo(Path(FilesIn(folder->path()).value(0))).size() > 0,
                                 30000);
        run.worker.RequestCancel();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 10000);

        QCOMPARE(FilesIn(folder->path()), QStringList({"one.jpg"}));
        QVERIFY(!RequestedPath("/three.jpg"));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({3, 2, 1}));
        QVERIFY(run.reports->Messages().isEmpty());
        QVERIFY(run.reports->Ended());
    }

    void cancelEndsAStalledTransferAndAnUnstartedJob() {
        HttpRoute stalled;
        stalled.stall = true;
        server->setRoute("/stall.jpg", stalled);
        DownloadJob job;
        job.Add(folder->path(), "stall.jpg", server->url("stall.jpg"));
        job.Add(folder->path(), "next.jpg", server->url("next.jpg"));

        WorkerRun stalledRun(job);
        stalledRun.Start();
        QTRY_VERIFY_WITH_TIMEOUT(RequestedPath("/stall.jpg"), 30000);
        stalledRun.worker.RequestCancel();
        // The server never answers: only the idle-time check can end the transfer.
        QTRY_VERIFY_WITH_TIMEOUT(stalledRun.Done(), 10000);
        QCOMPARE(stalledRun.reports->FilesLeft(), QList<int>({2, 1}));

        WorkerRun cancelledFirst(job);
        cancelledFirst.worker.RequestCancel();
        cancelledFirst.Start();
        QTRY_VERIFY_WITH_TIMEOUT(cancelledFirst.Done(), 10000);
        QCOMPARE(cancelledFirst.reports->Events(),
                 QStringList({"animation started", "files left 2", "animation stopped"}));
        QVERIFY(FilesIn(folder->path()).isEmpty());
        QCOMPARE(server->requests().size(), 1);
    }

    void cookiesAndRefererGoOnlyWithTheirEntry() {
        server->setFile("/private.jpg", "private", "image/jpeg");
        server->setFile("/public.jpg", "public", "image/jpeg");
        DownloadJob job;
        job.Add(folder->path(), "private.jpg", server->url("private.jpg"),
                server->url("gallery.html"), "session=abc; theme=dark");
        job.Add(folder->path(), "public.jpg", server->url("public.jpg"));

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 30000);

        const auto requests = server->requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[0].headers.value("cookie"), QByteArray("session=abc; theme=dark"));
        QCOMPARE(requests[0].headers.value("referer"), server->url("gallery.html").toUtf8());
        QVERIFY(!requests[1].headers.contains("cookie"));
        QVERIFY(!requests[1].headers.contains("referer"));
    }

    // Names come from pages: none may reach outside the chosen folder.
    void destinationsThatCannotBeWrittenAreSkipped() {
        server->setFile("/x.jpg", "new", "image/jpeg");
        const QString inner = Path("inner");
        QVERIFY(QDir().mkpath(inner));
        WriteFile(inner + "/existing.jpg", "older and longer content");
        const QString removed = Path("removed");
        QVERIFY(QDir().mkpath(removed));
        QVERIFY(QDir(removed).removeRecursively());
        DownloadJob job;
        for (const QString& name :
             {QString(), QString("."), QString(".."), QString("../escape.jpg"),
              QString("sub/x.jpg"), QString("nul") + QChar(u'\0') + "x.jpg"})
            job.Add(inner, name, server->url("x.jpg"));
        job.Add(removed, "x.jpg", server->url("x.jpg"));
        job.Add(inner, "existing.jpg", server->url("x.jpg"));

        WorkerRun run(job);
        run.Start();
        QTRY_VERIFY_WITH_TIMEOUT(run.Done(), 30000);

        QCOMPARE(FilesIn(inner), QStringList({"existing.jpg"}));
        QCOMPARE(ReadFile(inner + "/existing.jpg"), QByteArray("new"));
        QCOMPARE(FilesIn(folder->path()), QStringList());
        QVERIFY(!QFileInfo::exists(removed));
        QCOMPARE(run.reports->FilesLeft(), QList<int>({8, 7, 6, 5, 4, 3, 2, 1, 0}));
        QCOMPARE(run.reports->Messages(), QStringList({"Download complete: 1 of 8 files saved."}));
        QCOMPARE(server->requests().size(), 1);
    }
};

QUILLMAR_TEST_MAIN(DownloadWorkerTest)
#include "tst_downloadworker.moc"
