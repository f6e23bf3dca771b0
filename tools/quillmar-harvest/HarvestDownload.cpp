#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "InterruptWatch.h"
#include "PageHarvester.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "download/RefererPolicy.h"
#include "view/CBrowserEngine.h"

#include <QCoreApplication>
#include <QSet>
#include <QUrl>
#include <QWebEnginePage>

#include <thread>

DownloadJob HarvestDownload::BuildJob(const PageHarvester& harvester, const Choice& choice) {
    CBrowserEngine& engine = harvester.Engine();
    const EngineCookieJar* cookies = EngineCookieJar::ForProfile(engine.Page()->profile());
    const QUrl page(engine.Location());
    DownloadJob job;
    job.Page = page;
    job.PagePolicy = RefererPolicy(engine.StatedReferrerPolicy());
    QSet<QString> taken;
    const auto addEach = [&](const QStringList& lines, const HarvestMap& map) {
        for (const QString& name : lines) {
            if (taken.contains(name) || !name.contains(choice.match, Qt::CaseInsensitive))
                continue;
            taken.insert(name);
            const QString source = map.value(name);
            job.Add(choice.folder, name, source);
        }
    };
    if (choice.images)
        addEach(harvester.ImageLines(), harvester.ImageMap());
    if (choice.links)
        addEach(harvester.LinkLines(), harvester.LinkMap());
    job.CookieLines = cookies->CurlCookieLines();
    job.FileSourcesAllowed = page.isLocalFile();
    job.Parallel = choice.parallel;
    return job;
}

int HarvestDownload::Run(DownloadJob job, InterruptWatch& interrupts) {
    std::atomic<int> failures{0};
    DownloadWorker worker(std::move(job), std::make_unique<ConsoleDownloadSink>(failures));
    const QObject whileRunning; // ends the connection below with this call
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &whileRunning,
                     [&worker] { worker.RequestCancel(); });
    std::thread thread([&worker] {
        worker.Run();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    thread.join();
    return failures > 0 ? 1 : 0;
}
