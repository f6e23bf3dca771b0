#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "InterruptWatch.h"
#include "PageHarvester.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "download/RefererPolicy.h"
#include "view/CBrowserEngine.h"

#include <QCoreApplication>
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
    const auto addEach = [&](const HarvestLines& lines) {
        for (const HarvestLine& line : lines)
            if (line.name.contains(choice.match, Qt::CaseInsensitive))
                job.AddListed(choice.folder, line.name, line.address);
    };
    if (choice.images)
        addEach(harvester.ImageLines());
    if (choice.links)
        addEach(harvester.LinkLines());
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
