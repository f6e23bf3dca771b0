#include "downloads/Downloads.h"

#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "downloads/ReportDownloadSink.h"
#include "fetch/DownloadRegistry.h"
#include "records/ArchivingSink.h"
#include "records/DownloadArchive.h"
#include "records/QueueingSink.h"
#include "records/SavedCheck.h"
#include "transfer/RatePacer.h"

DownloadRequest DownloadRequest::FromSettings(const JobOrigin& origin, const QString& folder) {
    DownloadRequest request;
    request.origin = origin;
    request.folder = folder;
    DownloadChoices& choices = request.choices;
    choices.parallel = Settings::ParallelDownloads();
    const Settings::FileNames names = Settings::DownloadFileNames();
    choices.names = names.nameTemplate;
    choices.writeInfo = names.writeInfo;
    choices.markOrigin = names.markOrigin;
    choices.record = Settings::SkipSavedPictures();
    choices.maxBytesPerSecond = qint64(Settings::DownloadSpeedLimit()) * 1024;
    return request;
}

std::optional<DownloadJob> Downloads::JobOf(const DownloadRequest& request,
                                            DownloadArchive* record) {
    JobBuilder builder = BuilderFor(request);
    if (!builder.AddLines(request.lines, request.map, request.sources, record))
        return std::nullopt;
    DownloadJob job = builder.Job();
    ApplyChoices(request.choices, job);
    return job;
}

QStringList Downloads::SavedNames(const DownloadRequest& request) {
    JobBuilder builder = BuilderFor(request);
    if (!builder.AddLines(request.lines, request.map, request.sources))
        return {};
    return builder.SavedNames();
}

JobBuilder Downloads::BuilderFor(const DownloadRequest& request) {
    JobBuilder builder(request.origin, request.folder, request.choices.parallel);
    builder.SetNames(NameTemplate(request.choices.names), QDate::currentDate());
    builder.KnowSizes(request.sizes);
    return builder;
}

void Downloads::ApplyChoices(const DownloadChoices& choices, DownloadJob& job) {
    job.Parallel = choices.parallel;
    job.ContinuePartial = choices.continuePartial;
    job.WriteInfo = choices.writeInfo;
    job.MarkOrigin = choices.markOrigin;
}

TransferRules Downloads::RulesFor(const JobOrigin& origin) {
    return JobBuilder(origin, QString(), 1).Job().Rules;
}

// The folder is taken from the request: a retry names its job's folder, which
// moves when the report adds the retry.
std::shared_ptr<DownloadHandle> Downloads::Start(const DownloadRequest& request) {
    std::vector<std::shared_ptr<DownloadArchive>> records = request.records;
    std::shared_ptr<DownloadArchive> folderRecord;
    if (request.choices.record)
        records.push_back(folderRecord = DownloadArchive::ForFolder(request.folder));
    std::optional<DownloadJob> job = request.job ? request.job : JobOf(request, folderRecord.get());
    if (!job)
        return nullptr;
    if (request.job && folderRecord)
        Claim(*job, *folderRecord);
    // Files saved without the record, or by a run killed before it recorded them.
    job->SameSizeIsSaved = job->SameSizeIsSaved || request.choices.record;
    DownloadReport* report = request.report;
    const int reported = report ? report->AddJob(request.folder, *job, request.retryOf) : 0;
    const qint64 limit = request.choices.maxBytesPerSecond;
    SharedPace()->SetRate(limit);
    job->Rules.MaxBytesPerSecond = limit;
    std::unique_ptr<DownloadProgressSink> sink = ChainedReports(request, *job, reported, records);
    std::shared_ptr<DownloadHandle> handle =
        DownloadRegistry::Instance().Start(std::move(*job), std::move(sink), SharedPace());
    if (report) {
        if (handle)
            report->SetHandle(reported, handle);
        else
            report->JobEnded(reported);
    }
    return handle;
}

// A job built already (a retry, one resumed) is claimed in the folder's record
// as lines are: what it finds saved since, or another download is fetching,
// is not fetched again.
void Downloads::Claim(DownloadJob& job, DownloadArchive& record) {
    const QHash<QString, SavedCheck::Settled> settled =
        SavedCheck::Claim(job.Sources(), nullptr, &record);
    for (int index = 0; index < job.Count();) {
        const auto found = settled.constFind(job.Entries[index].Source);
        if (found == settled.constEnd())
            ++index;
        else
            job.NotFetchedInstead(index, found->NameOr(job.Entries[index].Name), found->kind,
                                  JobBuilder::ReasonOf(*found));
    }
}

std::unique_ptr<DownloadProgressSink>
Downloads::ChainedReports(const DownloadRequest& request, const DownloadJob& job, int reported,
                          const std::vector<std::shared_ptr<DownloadArchive>>& records) {
    std::unique_ptr<DownloadProgressSink> sink =
        request.reports ? request.reports(job)
                        : std::make_unique<ReportDownloadSink>(request.report, reported);
    for (const std::shared_ptr<DownloadArchive>& record : records)
        sink = std::make_unique<ArchivingSink>(std::move(sink), record, job);
    if (request.queued)
        sink = std::make_unique<QueueingSink>(std::move(sink), request.folder, job,
                                              request.choices.record);
    return sink;
}

void Downloads::SetSpeedLimit(qint64 bytesPerSecond) {
    Settings::SetDownloadSpeedLimit(int(bytesPerSecond / 1024));
    SharedPace()->SetRate(bytesPerSecond);
}

// The speed limit holds for all downloads together, and a change of it for
// those running too.
const std::shared_ptr<RatePacer>& Downloads::SharedPace() {
    static const auto pace = std::make_shared<RatePacer>(0);
    return pace;
}
