#pragma once

#include "fetch/DownloadCounts.h"
#include "fetch/DownloadHandle.h"
#include "fetch/DownloadJob.h"
#include "transfer/TransferSpeed.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// What every download of this run did, file by file, newest job first, and
// where the running ones stand: files left, running jobs, the last message;
// the running jobs can be paused, resumed and cancelled one by one. The
// message line gets words only when something happens (a job went through or
// was cancelled alone, every job paused or resumed); the running totals are
// measured again twice a second for the status bar and the report.
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
        QString subfolder;   // the folders a name template put it in, inside the job's
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
        TransferSpeed speed; // while downloading
    };

    struct Job {
        int id = 0;
        QString folder;
        QList<File> files;
        DownloadJob settings; // the job without its files, for a retry
        bool ended = false;
        int retryOf = 0;                        // the job whose failed files this one fetches again
        std::shared_ptr<DownloadHandle> handle; // its controls and totals, once started
        bool paused = false;                    // as asked, before the worker has stopped
        bool cancelled = false;                 // alone, from the report
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
    // The worker went through the whole job, stopped by no one: the message
    // line tells how it ended.
    void JobCompleted(int job);
    // The worker has ended: files it did not finish were cancelled.
    void JobEnded(int job);
    // The started job's controls, kept so the report and the menus can steer it.
    void SetHandle(int job, std::shared_ptr<DownloadHandle> handle);
    // Pauses or resumes one running job, or all; its line tells so at once,
    // and the message line once every running job is paused, or resumed.
    void SetPaused(int job, bool paused);
    void SetAllPaused(bool paused);
    // Ends one running job; the others go on.
    void Cancel(int job);
    // A running job that can be steered.
    bool IsRunning(int job) const;
    // Whether any job runs that is paused (true) or not (false).
    bool AnyRunning(bool paused) const;
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
    // The downloads' last message; every one is announced, repeated ones too,
    // as others may have written the message line since.
    QString Message() const;
    void SetMessage(const QString& text);
    // The files, bytes, speed and time left of the running jobs together; how
    // many run when more than one does. Empty while none runs.
    QString TotalsText() const;
    // Each running job's line.
    QStringList RunningLines() const;
    // What quitting asks while downloads run: running, or every one paused.
    QString QuitQuestion() const;

    static QString OutcomeText(const File& file);
    // A running job's files, bytes, speed and time left, or that it is paused.
    static QString ProgressText(const Job& job);
    // A downloading file's speed and time left, as far as they are known.
    static QString PaceText(const File& file);
    static DownloadCounts CountsOf(const Job& job);
    // The job's counts once it has ended, where it stands while it runs.
    static QString SummaryText(const Job& job);
    // "Download 3 into FOLDER: " and its summary.
    static QString JobLine(const Job& job);
    // The message line's words for a job that went through, or was cancelled alone.
    static QString EndMessage(const Job& job);

signals:
    // Jobs were added or forgotten.
    void jobsChanged();
    void fileChanged(int job, int index);
    void jobEnded(int job);
    void filesLeftChanged(int count);
    void runningJobsChanged(int running);
    void messageChanged(const QString& text);
    // The running jobs' totals were measured again, or a job started, ended,
    // paused or resumed.
    void progressChanged();

private:
    File* FindFile(int job, int index);
    void Settle(int job, int index, const QString& name, bool saved, const QString& reason);
    bool RetryRunning(int job) const;
    Job* FindRunning(int job); // only while IsRunning
    bool PauseJob(int job, bool paused);
    void TellPause(bool paused);
    // The running jobs added up; paused ones lend no speed.
    struct RunningSum {
        DownloadHandle::Totals totals;
        qint64 bytesLeft = 0; // -1 while it cannot be told
        int failed = 0;
        int jobs = 0;
        bool paused = true; // every one of them
    };
    RunningSum SumRunning() const;
    // The job's totals, its files counted as the report knows them.
    static DownloadHandle::Totals TotalsOf(const Job& job);
    void Measure();
    void UpdateTicker();

    QList<Job> jobs;
    int lastId = 0;
    int filesLeftTotal = 0; // over the running workers, shown or not
    int filesLeftShown = 0;
    int runningJobs = 0;
    QString message;
    QTimer ticker; // measures again, only while an unpaused job runs
};
