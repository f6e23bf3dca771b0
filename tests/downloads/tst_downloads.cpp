#include "downloads/Downloads.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/DownloadRegistry.h"
#include "records/DownloadArchive.h"
#include "records/DownloadQueue.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

namespace {

// Tells when the worker has made its last report.
class EndingSink : public DownloadProgressSink {
public:
    explicit EndingSink(std::shared_ptr<std::atomic<bool>> ended) : ended(std::move(ended)) {}
    void AnimationStarted() override {}
    void AnimationStopped() override { *ended = true; }
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int, const QString&, bool, const QString&) override {}

private:
    std::shared_ptr<std::atomic<bool>> ended;
};

void ForgetInterrupted(DownloadQueue& queue) {
    for (const QueuedJob& left : queue.Interrupted())
        queue.Forget(left);
}

} // namespace

// The one way in for downloads.
class DownloadsTest : public QObject {
    Q_OBJECT
private slots:
    // What the caller asks for decides what keeps the job: the records given
    // learn each file saved, the caller's sink hears the reports, the
    // queue keeps a job the program's end interrupts only when asked to (the
    // tool's never), and the job carries the limit it was asked to keep.
    void requestDecidesWhatKeepsTheJob_data() {
        QTest::addColumn<bool>("queued");
        QTest::newRow("the window's") << true;
        QTest::newRow("the tool's") << false;
    }
    void requestDecidesWhatKeepsTheJob() {
        QFETCH(bool, queued);
        DownloadQueue queue;
        ForgetInterrupted(queue);
        LoopbackHttpServer server;
        QVERIFY(server.start());
        server.setFile("/a.jpg", "picture a", "image/jpeg");
        HttpRoute stalled;
        stalled.stall = true;
        server.setRoute("/b.jpg", stalled);
        QTemporaryDir folder;
        const auto record = std::make_shared<DownloadArchive>(folder.filePath("record/saved"));
        QString error;
        QVERIFY2(record->Load(error), qPrintable(error));

        DownloadRequest request;
        request.folder = folder.path();
        DownloadJob job;
        for (const QString name : {"a.jpg", "b.jpg"})
            job.Add(folder.path(), name, server.url(name));
        request.job = job;
        request.choices.record = false;
        request.choices.maxBytesPerSecond = 64 * 1024;
        request.records = {record};
        request.queued = queued;
        const auto ended = std::make_shared<std::atomic<bool>>(false);
        request.reports = [ended](const DownloadJob&) {
            return std::make_unique<EndingSink>(ended);
        };
        QVERIFY(Downloads::Start(request));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath("a.jpg")), 30000);
        DownloadRegistry::Instance().CancelAllAndWait();
        QVERIFY(*ended);
        // Records are written in batches, the last as the job ends.
        QCOMPARE(record->SavedName(server.url("a.jpg")), QStringLiteral("a.jpg"));
        const QList<QueuedJob> kept = queue.Interrupted();
        QCOMPARE(kept.size(), queued ? 1 : 0);
        if (queued)
            QCOMPARE(kept.first().Job.Rules.MaxBytesPerSecond, qint64(64 * 1024));
        ForgetInterrupted(queue);
    }

    // A job built already (a retry, one resumed) is claimed in its folder's
    // record as listed lines are: what the record holds as saved is not asked
    // for again, and what it saves is recorded.
    void jobBuiltAlreadyKeepsToTheFoldersRecord() {
        LoopbackHttpServer server;
        QVERIFY(server.start());
        server.setFile("/a.jpg", "picture a", "image/jpeg");
        server.setFile("/b.jpg", "picture b", "image/jpeg");
        QTemporaryDir folder;
        QFile saved(folder.filePath("a.jpg"));
        QVERIFY(saved.open(QIODevice::WriteOnly) && saved.write("picture a") == 9);
        saved.close();
        QVERIFY(DownloadArchive::ForFolder(folder.path())
                    ->Record(server.url("a.jpg"), folder.filePath("a.jpg")));

        DownloadRequest request;
        request.folder = folder.path();
        request.job = DownloadJob();
        for (const QString name : {"a.jpg", "b.jpg"})
            request.job->Add(folder.path(), name, server.url(name));
        request.queued = false;
        const auto ended = std::make_shared<std::atomic<bool>>(false);
        request.reports = [ended](const DownloadJob&) {
            return std::make_unique<EndingSink>(ended);
        };
        QVERIFY(Downloads::Start(request));
        QTRY_VERIFY_WITH_TIMEOUT(*ended, 30000);
        QStringList asked;
        for (const testsupport::HttpRequest& answered : server.requests())
            asked << QString::fromUtf8(answered.path);
        QCOMPARE(asked, QStringList({"/b.jpg"}));
        QCOMPARE(DownloadArchive::ForFolder(folder.path())->SavedName(server.url("b.jpg")),
                 QStringLiteral("b.jpg"));
    }
};

QUILLMAR_TEST_MAIN(DownloadsTest)
#include "tst_downloads.moc"
