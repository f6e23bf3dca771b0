#include "records/ArchivingSink.h"

#include <QFileInfo>

ArchivingSink::ArchivingSink(std::unique_ptr<DownloadProgressSink> inner,
                             std::shared_ptr<DownloadArchive> archive, const DownloadJob& job)
    : ForwardingSink(std::move(inner)), archive(std::move(archive)), job(job) {}

// The worker's first report, on its thread: the batches share one connection.
void ArchivingSink::AnimationStarted() {
    archive->Hold();
    ForwardingSink::AnimationStarted();
}

// The worker's last report: what is left is written, and the job's claims
// are given up, those of the files it never reached (it was stopped) too.
void ArchivingSink::AnimationStopped() {
    Write();
    archive->ReleaseAll();
    archive->LetGo();
    ForwardingSink::AnimationStopped();
}

// A record that cannot be written only costs a second look next time.
void ArchivingSink::FileFinished(int index, const QString& name, bool saved,
                                 const QString& reason) {
    const DownloadEntry entry = job.Entries.value(index);
    if (this->saved.isEmpty() && failed.isEmpty())
        firstWaiting = Clock::now();
    // A saved file's claim is given up with the others when the job ends: its
    // record already tells everyone else it is saved.
    if (saved)
        this->saved.append({entry.Source,
                            QFileInfo(entry.Destination).path() + QLatin1Char('/') + name,
                            (entry.Page.isEmpty() ? job.Rules.Page : entry.Page).toString()});
    else
        failed.append(entry.Source);
    WriteWhenDue();
    ForwardingSink::FileFinished(index, name, saved, reason);
}

void ArchivingSink::FileProgress(int index, qint64 received, qint64 total) {
    WriteWhenDue();
    ForwardingSink::FileProgress(index, received, total);
}

void ArchivingSink::WriteWhenDue() {
    const qsizetype waiting = saved.size() + failed.size();
    if (waiting > 0 && (waiting >= BatchFiles || Clock::now() - firstWaiting >= BatchTime))
        Write();
}

void ArchivingSink::Write() {
    if (!saved.isEmpty() || !failed.isEmpty())
        archive->Write(saved, failed);
    saved.clear();
    failed.clear();
}
