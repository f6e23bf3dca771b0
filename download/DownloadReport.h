#pragma once

#include "download/DownloadJob.h"

#include <QList>
#include <QObject>
#include <QString>

// What every download of this run did, file by file, newest job first. Fed on
// the user-interface thread from the workers' reports (FrameDownloadSink); the
// Download Report window shows it.
class DownloadReport : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Waiting, Downloading, Saved, Failed, Cancelled };

    struct File {
        QString name;        // the file name written
        QString destination; // full path
        QString source;
        Outcome outcome = Outcome::Waiting;
        QString reason;      // why it failed, or "already saved"
        qint64 received = 0; // bytes so far, or the saved file's size
        qint64 total = 0;    // expected bytes; 0 when unknown
    };

    struct Job {
        int id = 0;
        QString folder;
        QList<File> files;
        DownloadJob settings; // the job without its files, for a retry
        bool ended = false;
    };

    explicit DownloadReport(QObject* parent = nullptr);

    // The report kept for a frame (created on first use, owned by the frame).
    static DownloadReport& For(QObject& frame);

    // Notes a job about to start, every file waiting; returns its id.
    int AddJob(const QString& folder, const DownloadJob& job);
    void FileProgress(int job, int index, qint64 received, qint64 total);
    // A saved file is under name, which may have gained an extension.
    void FileFinished(int job, int index, const QString& name, bool saved, const QString& reason);
    // The worker has ended: files it did not finish were cancelled.
    void JobEnded(int job);
    // Forgets every job that has ended.
    void ClearFinished();

    const QList<Job>& Jobs() const; // newest first
    const Job* FindJob(int job) const;
    // A new job of the job's failed files, same folder and names.
    DownloadJob FailedFilesOf(int job) const;

    static QString OutcomeText(const File& file);
    // "N of M saved" once the job has ended; empty while it runs.
    static QString SummaryText(const Job& job);

signals:
    // Jobs were added or forgotten.
    void jobsChanged();
    void fileChanged(int job, int index);
    void jobEnded(int job);

private:
    File* FindFile(int job, int index);

    QList<Job> jobs;
    int lastId = 0;
};
