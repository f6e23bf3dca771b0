#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "PageHarvester.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "view/CBrowserEngine.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEnginePage>

#include <thread>

DownloadJob HarvestDownload::BuildJob(const PageHarvester& harvester, const Choice& choice) {
    CBrowserEngine& engine = harvester.Engine();
    const EngineCookieJar* cookies = EngineCookieJar::ForProfile(engine.Page()->profile());
    const QString referer = engine.Location();
    DownloadJob job;
    const auto addEach = [&](const HarvestLines& lines) {
        for (const HarvestLine& line : lines)
            if (line.name.contains(choice.match, Qt::CaseInsensitive))
                job.AddListed(choice.folder, line.name, line.address, referer);
    };
    if (choice.images)
        addEach(harvester.ImageLines());
    if (choice.links)
        addEach(harvester.LinkLines());
    job.CookieLines = cookies->CurlCookieLines();
    return job;
}

int HarvestDownload::Run(DownloadJob job) {
    std::atomic<int> failures{0};
    DownloadWorker worker(std::move(job), std::make_unique<ConsoleDownloadSink>(failures));
    std::thread thread([&worker] {
        worker.Run();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    thread.join();
    return failures > 0 ? 1 : 0;
}
