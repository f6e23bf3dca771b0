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
                                      const Choice& choice, const Records& records,
                                      QStringList& notFetched) {
    const EngineCookieJar* cookies =
        EngineCookieJar::ForProfile(QWebEngineProfile::defaultProfile());
    // Every line names the page it came from; the job's own page is never used.
    JobBuilder builder({QUrl(), RefererPolicy(), cookies->CurlCookieLines()}, choice.folder,
                       choice.parallel);
    QSet<QString> notFetchedAddresses;
    // Notes line when a record says it was saved; false when it is to be fetched.
    const auto settled = [&](const HarvestLine& line) {
        QString saved = records.archive ? records.archive->SavedName(line.address) : QString();
        DownloadCounts::Kind kind = DownloadCounts::Kind::Skipped;
        if (saved.isEmpty()) {
            saved = records.folder ? records.folder->SavedName(line.address) : QString();
            kind = DownloadCounts::Kind::AlreadySaved;
        }
        if (saved.isEmpty())
            return false;
        if (!notFetchedAddresses.contains(line.address)) {
            notFetchedAddresses.insert(line.address);
            notFetched << (kind == DownloadCounts::Kind::Skipped
                               ? QStringLiteral("skipped ")
                               : QStringLiteral("already saved ")) +
                              saved;
            builder.AddNotFetched(line, saved, kind);
        }
        return true;
    };
    const auto addEach = [&](const std::vector<FollowedEntry>& lines) {
        for (const FollowedEntry& line : lines) {
            const DeepEntry& entry = line.entry;
            if (entry.name.contains(choice.match, Qt::CaseInsensitive) &&
                !settled({entry.name, entry.address}))
                builder.AddLineFrom({entry.name, entry.address}, QUrl(line.from),
                                    RefererPolicy(line.referrer.policy, line.referrer.elements));
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

int HarvestDownload::Run(DownloadJob job, InterruptWatch& interrupts, const Records& records) {
    std::atomic<int> failures{0};
    std::unique_ptr<DownloadProgressSink> sink = std::make_unique<ConsoleDownloadSink>(failures);
    for (const std::shared_ptr<DownloadArchive>& record : {records.archive, records.folder})
        if (record)
            sink = std::make_unique<ArchivingSink>(std::move(sink), record, job);
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
