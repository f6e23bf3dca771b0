#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "InterruptWatch.h"
#include "download/ArchivingSink.h"
#include "download/DownloadArchive.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "download/JobBuilder.h"
#include "follow/FollowedList.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineProfile>

#include <thread>

DownloadJob HarvestDownload::BuildJob(const std::vector<FollowedList>& harvests,
                                      const Choice& choice, const DownloadArchive* archive,
                                      QStringList& skipped) {
    const EngineCookieJar* cookies =
        EngineCookieJar::ForProfile(QWebEngineProfile::defaultProfile());
    // Every line names the page it came from; the job's own page is never used.
    JobBuilder builder({QUrl(), RefererPolicy(), cookies->CurlCookieLines()}, choice.folder,
                       choice.parallel);
    QSet<QString> skippedAddresses;
    const auto addEach = [&](const std::vector<FollowedEntry>& lines) {
        for (const FollowedEntry& line : lines) {
            const DeepEntry& entry = line.entry;
            if (!entry.name.contains(choice.match, Qt::CaseInsensitive))
                continue;
            const QString saved = archive ? archive->SavedName(entry.address) : QString();
            if (saved.isEmpty()) {
                builder.AddLineFrom({entry.name, entry.address}, QUrl(line.from),
                                    RefererPolicy(line.referrer.policy, line.referrer.elements));
            } else if (!skippedAddresses.contains(entry.address)) {
                skippedAddresses.insert(entry.address);
                skipped << saved;
            }
        }
    };
    for (const FollowedList& harvest : harvests) {
        if (choice.images)
            addEach(harvest.Images());
        if (choice.links)
            addEach(harvest.Links());
    }
    return builder.Job();
}

int HarvestDownload::Run(DownloadJob job, InterruptWatch& interrupts,
                         const std::shared_ptr<DownloadArchive>& archive) {
    std::atomic<int> failures{0};
    std::unique_ptr<DownloadProgressSink> sink = std::make_unique<ConsoleDownloadSink>(failures);
    if (archive)
        sink = std::make_unique<ArchivingSink>(std::move(sink), archive, job.Sources());
    DownloadWorker worker(std::move(job), std::move(sink));
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
