#pragma once

#include "download/DownloadCounts.h"
#include "download/DownloadJob.h"

#include <QList>
#include <QObject>
#include <QString>

// What every download of this run did, file by file, newest job first, and
// where the running ones stand: files left, running jobs, the last message.
// Fed on the user-interface thread from the workers' reports
// (ReportDownloadSink); the frame's counter, animation and message line and
// the Download Report window show it.
class DownloadReport : public QObject {
    Q_OBJECT
    Q_PROPERTY(int filesLeft READ FilesLeft NOTIFY filesLeftChanged)
    Q_PROPERTY(int runningJobs READ RunningJobs NOTIFY runningJobsChanged)
    Q_PROPERTY(QString message READ Message NOTIFY messageChanged)
public:
    enum class Outcome {
        Waiting,
        Downloading,
        Retrying,
        Saved,
        AlreadySaved,
        Skipped,
        Failed,
        Cancelled
    };

    struct File {
        QString name;        // the file name written
        QString destination; // full path
        QString source;
        Outcome outcome = Outcome::Waiting;
        QString reason;      // why it failed, or how it was known to be saved already
        qint64 received = 0; // bytes so far, or the saved file's size
        qint64 total = 0;    // expected bytes; 0 when unknown
        QUrl page;           // listed on, where not the job's page: its Referer on a retry
        RefererPolicy policy;
        int nextTry = 0; // while Retrying: the try waited for, of tries
        int tries = 0;
    };

    struct Job {
        int id = 0;
        QString folder;
        QList<File> files;
        DownloadJob settings; // the job without its files, for a retry
        bool ended = false;
        int retryOf = 0; // the job whose failed files this one fetches again
    };

    explicit DownloadReport(QObject* parent = nullptr);

    // The report kept for a frame (created on first use, owned by the frame).
    static DownloadReport& For(QObject& frame);

    // Notes a job about to start, every file waiting, then the files it does
    // not fetch; returns its id. A retry of job retryOf reports each outcome
    // there too, so that job tells which of its files are still failed.
    int AddJob(const QString& folder, const DownloadJob& job, int retryOf = 0);
    void FileProgress(int job, int index, qint64 received, qint64 total);
    // The file failed for a passing reason; what it received so far is dropped.
    void FileRetrying(int job, int index, int nextTry, int tries);
    // A saved file is under name, which may have gained an extension.
    void FileFinished(int job, int index, const QString& name, bool saved, const QString& reason);
    // The worker has ended: files it did not finish were cancelled.
    void JobEnded(int job);
    // Forgets every job that has ended.
    void ClearFinished();

    const QList<Job>& Jobs() const; // newest first
    const Job* FindJob(int job) const;
    // The job whose failed files a Retry Failed on job fetches: the one it retries, if any.
    int RetryTarget(int job) const;
    // A new job of the files of job that are still failed, same folder and
    // names; none while a retry of them runs.
    DownloadJob FailedFilesOf(int job) const;

    // The files left of the running workers together, as last reported.
    int FilesLeft() const;
    // A worker's files left changed by change; the new total is announced.
    void ReportFilesLeft(int change);
    // A worker ended with part files left: they leave the total, which stays
    // shown until another worker reports.
    void LeaveFilesLeft(int part);
    // Workers running (their animation started and not yet stopped).
    int RunningJobs() const;
    void ChangeRunningJobs(int change);
    // The workers' last message; every one is announced, repeated ones too, as
    // others may have written the message line since.
    QString Message() const;
    void SetMessage(const QString& text);

    static QString OutcomeText(const File& file);
    static DownloadCounts CountsOf(const Job& job);
    // The job's counts once it has ended; empty while it runs.
    static QString SummaryText(const Job& job);

signals:
    // Jobs were added or forgotten.
    void jobsChanged();
    void fileChanged(int job, int index);
    void jobEnded(int job);
    void filesLeftChanged(int count);
    void runningJobsChanged(int running);
    void messageChanged(const QString& text);

private:
    File* FindFile(int job, int index);
    void Settle(int job, int index, const QString& name, bool saved, const QString& reason);
    bool RetryRunning(int job) const;

    QList<Job> jobs;
    int lastId = 0;
    int filesLeftTotal = 0; // over the running workers, shown or not
    int filesLeftShown = 0;
    int runningJobs = 0;
    QString message;
};
