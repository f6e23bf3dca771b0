#include "downloads/ReportDownloadSink.h"

#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "fetch/DownloadRegistry.h"
#include "records/ArchivingSink.h"
#include "records/QueueingSink.h"
#include "transfer/RatePacer.h"

#include <QCoreApplication>
#include <QMetaObject>

ReportDownloadSink::ReportDownloadSink(DownloadReport* report, int reportedJob)
    : report(report), reportedJob(reportedJob), filesLeftShown(std::make_shared<int>(0)) {}

bool ReportDownloadSink::Start(DownloadReport* report, QString folder, DownloadJob job,
                               std::shared_ptr<DownloadArchive> archive, int retryOf) {
    const int reported = report ? report->AddJob(folder, job, retryOf) : 0;
    job.Rules.SharedPace = SharedPace();
    job.Rules.MaxBytesPerSecond = job.Rules.SharedPace->Rate();
    std::unique_ptr<DownloadProgressSink> sink =
        std::make_unique<ReportDownloadSink>(report, reported);
    const bool recorded = archive != nullptr;
    if (archive)
        sink = std::make_unique<ArchivingSink>(std::move(sink), std::move(archive), job);
    sink = std::make_unique<QueueingSink>(std::move(sink), folder, job, recorded);
    if (std::shared_ptr<DownloadHandle> handle =
            DownloadRegistry::Instance().Start(std::move(job), std::move(sink))) {
        if (report)
            report->SetHandle(reported, std::move(handle));
        return true;
    }
    if (report)
        report->JobEnded(reported);
    return false;
}

// The speed limit holds for all downloads together, and a change of it for
// those running too.
std::shared_ptr<RatePacer> ReportDownloadSink::SharedPace() {
    static const auto pace = std::make_shared<RatePacer>(0);
    pace->SetRate(qint64(Settings::DownloadSpeedLimit()) * 1024);
    return pace;
}

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
    Post([part = filesLeftShown, job = reportedJob](DownloadReport& target) {
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
// how the job ended in its own, from the report.
void ReportDownloadSink::Message(const QString& /*text*/) {
    Post([job = reportedJob](DownloadReport& target) { target.JobCompleted(job); });
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
