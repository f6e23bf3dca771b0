#include "download/DownloadRegistry.h"
#include "download/RecordingSink.h"
#include "support/LoopbackHttpServer.h"
#include "support/TestMain.h"

#include <QTemporaryDir>

using testsupport::HttpRoute;
using testsupport::LoopbackHttpServer;

class DownloadRegistryTest : public QObject {
    Q_OBJECT
private:
    LoopbackHttpServer* server = nullptr;
    QTemporaryDir* folder = nullptr;

    // Starts a worker for name (fetched from the server's path of that name)
    // and returns what it reports.
    std::shared_ptr<WorkerReports> Start(DownloadRegistry& registry, const QString& name) {
        DownloadJob job;
        job.Add(folder->path(), name, server->url(name));
        auto reports = std::make_shared<WorkerReports>();
        if (!registry.Start(job, std::make_unique<RecordingSink>(reports)))
            return nullptr;
        return reports;
    }

    // Each test's server is new: the count tells which stalled requests arrived.
    int Requests() const { return server->requests().size(); }

private slots:
    void init() {
        server = new LoopbackHttpServer(this);
        QVERIFY(server->start());
        HttpRoute stalled;
        stalled.stall = true;
        server->setRoute("/stall.jpg", stalled);
        server->setRoute("/stall2.jpg", stalled);
        server->setFile("/quick.jpg", "quick", "image/jpeg");
        folder = new QTemporaryDir;
    }
    void cleanup() {
        delete folder;
        delete server;
    }

    // The first worker to end must not clear the state of one still running.
    void runningHoldsUntilTheLastWorkerEnds() {
        DownloadRegistry registry;
        QVERIFY(!registry.DownloadRunning());
        auto stalled = Start(registry, "stall.jpg");
        auto quick = Start(registry, "quick.jpg");
        QVERIFY(stalled && quick);
        QCOMPARE(registry.RunningCount(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(quick->Ended(), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(registry.RunningCount(), 1, 10000);
        QVERIFY(registry.DownloadRunning());

        QTRY_COMPARE_WITH_TIMEOUT(Requests(), 2, 30000); // quick.jpg and stall.jpg
        registry.RequestCancelAll();
        QTRY_VERIFY_WITH_TIMEOUT(!registry.DownloadRunning(), 10000);
        QVERIFY(stalled->Messages().isEmpty());
        QCOMPARE(quick->Messages(), QStringList({"Download complete"}));
    }

    // A request stops the workers running when it is made, no later one.
    void cancelReachesOnlyWorkersRunningNow() {
        DownloadRegistry registry;
        auto stalled = Start(registry, "stall.jpg");
        QTRY_COMPARE_WITH_TIMEOUT(Requests(), 1, 30000);
        registry.RequestCancelAll();
        auto startedAfter = Start(registry, "quick.jpg");
        QTRY_VERIFY_WITH_TIMEOUT(stalled->Ended() && startedAfter->Ended(), 30000);
        QVERIFY(stalled->Messages().isEmpty());
        QCOMPARE(startedAfter->Messages(), QStringList({"Download complete"}));
        QCOMPARE(FilesIn(folder->path()), QStringList({"quick.jpg"}));
    }

    void cancelAllAndWaitEndsEveryWorkerBeforeReturning() {
        auto registry = std::make_unique<DownloadRegistry>();
        auto first = Start(*registry, "stall.jpg");
        auto second = Start(*registry, "stall2.jpg");
        QTRY_COMPARE_WITH_TIMEOUT(Requests(), 2, 30000);

        registry->CancelAllAndWait();
        QVERIFY(first->Ended());
        QVERIFY(second->Ended());
        QCOMPARE(registry->RunningCount(), 0);
        QVERIFY(FilesIn(folder->path()).isEmpty());

        // Destroying a registry waits for what still runs as well.
        auto third = Start(*registry, "stall.jpg");
        registry.reset();
        QVERIFY(third->Ended());
    }
};

QUILLMAR_TEST_MAIN(DownloadRegistryTest)
#include "tst_downloadregistry.moc"
