#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "InterruptWatch.h"
#include "PageHarvester.h"
#include "download/DownloadWorker.h"
#include "download/JobBuilder.h"
#include "view/CBrowserEngine.h"

#include <QCoreApplication>

#include <thread>

DownloadJob HarvestDownload::BuildJob(const PageHarvester& harvester, const Choice& choice) {
    JobBuilder builder(harvester.Engine().DownloadOrigin(), choice.folder, choice.parallel);
    const auto addEach = [&](const HarvestLines& lines, const HarvestMap& map) {
        HarvestLines chosen;
        for (const HarvestLine& line : lines)
            if (line.name.contains(choice.match, Qt::CaseInsensitive))
                chosen.append(line);
        builder.AddLines(chosen, map);
    };
    if (choice.images)
        addEach(harvester.ImageLines(), harvester.ImageMap());
    if (choice.links)
        addEach(harvester.LinkLines(), harvester.LinkMap());
    return builder.Job();
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
