#include "records/ArchivingSink.h"

#include "records/DownloadArchive.h"

#include <QFileInfo>

ArchivingSink::ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                             std::shared_ptr<DownloadArchive> archive, const DownloadJob& job)
    : ForwardingSink(std::move(inner)), archive(std::move(archive)), job(job) {}

void ArchivingSink::FileFinished(int index, const QString& name, bool saved,
                                 const QString& reason) {
    // A record that cannot be written only costs a second fetch next time.
    if (saved) {
        const DownloadEntry entry = job.Entries.value(index);
        const QString folder = QFileInfo(entry.Destination).path();
        archive->Record(entry.Source, folder + QLatin1Char('/') + name,
                        (entry.Page.isEmpty() ? job.Rules.Page : entry.Page).toString());
    }
    // Saved or not, the file is no longer this process's to fetch.
    archive->Release(job.Entries.value(index).Source);
    ForwardingSink::FileFinished(index, name, saved, reason);
}
