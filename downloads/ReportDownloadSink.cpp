#include "downloads/ReportDownloadSink.h"

#include "downloads/DownloadReport.h"
#include "fetch/DownloadCounts.h"

#include <QCoreApplication>
#include <QMetaObject>

ReportDownloadSink::ReportDownloadSink(DownloadReport* report, int reportedJob)
    : report(report), reportedJob(reportedJob), filesLeftShown(std::make_shared<int>(0)) {}

template <typename Apply> void ReportDownloadSink::Post(Apply apply) {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [target = report, apply] {
            if (target)
                apply(*target);
        },
        Qt::QueuedConnection);
}

void ReportDownloadSink::AnimationStarted() {
    Post([](DownloadReport& target) { target.ChangeRunningJobs(+1); });
}

// The worker's last report. It leaves the files-left total (the counter keeps
// what it showed until another worker reports), and whatever it did not finish
// was cancelled.
void ReportDownloadSink::AnimationStopped() {
    Post([part = filesLeftShown, job = reportedJob, done = completed](DownloadReport& target) {
        if (done)
            target.JobCompleted(job);
        target.LeaveFilesLeft(*part);
        *part = 0;
        target.ChangeRunningJobs(-1);
        target.JobEnded(job);
    });
}

void ReportDownloadSink::FilesLeft(int count) {
    Post([count, part = filesLeftShown](DownloadReport& target) {
        target.ReportFilesLeft(count - *part);
        *part = count;
    });
}

// The worker's closing words are its summary for the tool; the window says
// how the job ended in its own, from the report, once the job has ended: the
// sinks before this one (the records) are done with it by then, so a download
// started on reading the message finds none of its files still claimed.
void ReportDownloadSink::Message(const QString& text) {
    completed = completed || DownloadCounts::IsCompletionMessage(text);
}

void ReportDownloadSink::FileFinished(int index, const QString& name, bool saved,
                                      const QString& reason) {
    Post([job = reportedJob, index, name, saved, reason](DownloadReport& target) {
        target.FileFinished(job, index, name, saved, reason);
    });
}

void ReportDownloadSink::FileRetrying(int index, int nextTry, int tries) {
    Post([job = reportedJob, index, nextTry, tries](DownloadReport& target) {
        target.FileRetrying(job, index, nextTry, tries);
    });
}

void ReportDownloadSink::FileProgress(int index, qint64 received, qint64 total) {
    Post([job = reportedJob, index, received, total](DownloadReport& target) {
        target.FileProgress(job, index, received, total);
    });
}
