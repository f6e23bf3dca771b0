#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "InterruptWatch.h"
#include "download/DownloadArchive.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "follow/FollowedList.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineProfile>

#include <thread>

DownloadJob HarvestDownload::BuildJob(const std::vector<FollowedList>& harvests,
                                      const Choice& choice, const DownloadArchive* archive,
                                      QStringList& skipped) {
    DownloadJob job;
    QSet<QString> skippedAddresses;
    const auto addEach = [&](const std::vector<FollowedEntry>& lines) {
        for (const FollowedEntry& line : lines) {
            const DeepEntry& entry = line.entry;
            if (!entry.name.contains(choice.match, Qt::CaseInsensitive))
                continue;
            const QString saved = archive ? archive->SavedName(entry.address) : QString();
            if (!saved.isEmpty()) {
                if (!skippedAddresses.contains(entry.address))
                    skipped << saved;
                skippedAddresses.insert(entry.address);
                continue;
            }
            job.AddListedFrom(choice.folder, entry.name, entry.address, QUrl(line.from),
                              RefererPolicy(line.refererPolicy));
        }
    };
    for (const FollowedList& harvest : harvests) {
        if (choice.images)
            addEach(harvest.Images());
        if (choice.links)
            addEach(harvest.Links());
    }
    job.CookieLines =
        EngineCookieJar::ForProfile(QWebEngineProfile::defaultProfile())->CurlCookieLines();
    job.Parallel = choice.parallel;
    return job;
}

int HarvestDownload::Run(DownloadJob job, InterruptWatch& interrupts, DownloadArchive* archive) {
    std::atomic<int> failures{0};
    const QStringList sources = job.Sources;
    DownloadWorker worker(std::move(job),
                          std::make_unique<ConsoleDownloadSink>(failures, archive, sources));
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
