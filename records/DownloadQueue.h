#pragma once

#include "fetch/DownloadJob.h"

#include <QList>
#include <QString>

// A download an earlier run did not finish, as the queue kept it.
struct QueuedJob {
    qint64 Id = 0;
    QString Folder;        // the download folder the report names
    bool Recorded = false; // its saved files go into the folder's record
    // The files not saved yet, with the rules they were fetched under; the
    // browser's cookies are not kept, they are taken anew when it runs again.
    DownloadJob Job;
    QString Owner; // the process that ran it last; empty when it let go of it
};

// The downloads running now, kept in an SQLite file in the data folder so
// that a quit or a crash does not lose them: a job is written as it starts,
// each file is marked as it is saved, and the job is removed when it ends or
// is cancelled. A job whose program stopped before it stays, and is offered
// at the next start. Several windows and processes share the file; each
// process holds a lock file while it lives, so a job whose process died is
// told from one that runs elsewhere.
class DownloadQueue {
public:
    explicit DownloadQueue(const QString& path = DefaultPath());
    static QString DefaultPath();

    // Writes the job, run by this process, into the queue; its id, 0 when it
    // could not be written (the download runs all the same).
    qint64 Add(const QString& folder, const DownloadJob& job, bool recorded);
    // Entry index of the job has been saved: a later run leaves it out.
    void MarkSaved(qint64 id, int index);
    // The job has ended or was cancelled.
    void Remove(qint64 id);
    // The program ends before the job: it stays for the next start to offer.
    void Release(qint64 id);

    // The jobs whose program stopped before them, oldest first, each with the
    // files it has left; a job with none left is removed.
    QList<QueuedJob> Interrupted();
    // Takes the job out of the queue to run it again; false when another
    // process took it first.
    bool Take(const QueuedJob& job);
    // Takes the job out for good, with the half-fetched files it left.
    void Forget(const QueuedJob& job);

private:
    bool Execute(const QString& statement, const QVariantList& values);
    QList<QueuedJob> StoppedJobs();
    void ReadEntries(QueuedJob& queued);

    QString path;
};
