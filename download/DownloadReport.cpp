#include "download/DownloadReport.h"

#include "download/DownloadProgressText.h"

#include <QFileInfo>

#include <algorithm>

namespace {

bool IsUnfinished(DownloadReport::Outcome outcome) {
    return outcome == DownloadReport::Outcome::Waiting ||
           outcome == DownloadReport::Outcome::Downloading ||
           outcome == DownloadReport::Outcome::Retrying;
}

DownloadReport::Outcome OutcomeOf(DownloadCounts::Kind kind) {
    switch (kind) {
    case DownloadCounts::Kind::Saved:
        return DownloadReport::Outcome::Saved;
    case DownloadCounts::Kind::AlreadySaved:
        return DownloadReport::Outcome::AlreadySaved;
    case DownloadCounts::Kind::Skipped:
        return DownloadReport::Outcome::Skipped;
    case DownloadCounts::Kind::Failed:
        return DownloadReport::Outcome::Failed;
    case DownloadCounts::Kind::Cancelled:
        break;
    }
    return DownloadReport::Outcome::Cancelled;
}

} // namespace

DownloadReport::DownloadReport(QObject* parent) : QObject(parent) {
    ticker.setInterval(500);
    connect(&ticker, &QTimer::timeout, this, &DownloadReport::ShowTotals);
}

DownloadReport& DownloadReport::For(QObject& frame) {
    if (auto* report = frame.findChild<DownloadReport*>(QString(), Qt::FindDirectChildrenOnly))
        return *report;
    return *new DownloadReport(&frame);
}

int DownloadReport::AddJob(const QString& folder, const DownloadJob& job, int retryOf) {
    Job added;
    added.id = ++lastId;
    added.folder = folder;
    added.settings = job.WithoutFiles();
    added.retryOf = retryOf;
    for (const DownloadEntry& entry : job.Entries) {
        File file;
        file.name = entry.Name;
        file.subfolder = entry.Subfolder;
        file.destination = entry.Destination;
        file.source = entry.Source;
        file.page = entry.Page;
        file.policy = entry.Policy;
        added.files.append(file);
    }
    for (const DownloadJob::NotFetchedFile& notFetched : job.NotFetched) {
        File file;
        file.name = notFetched.name;
        file.destination = notFetched.destination;
        file.source = notFetched.source;
        file.outcome = OutcomeOf(notFetched.kind);
        file.reason = notFetched.reason;
        file.received = QFileInfo(file.destination).size();
        added.files.append(file);
    }
    jobs.prepend(added);
    emit jobsChanged();
    return added.id;
}

void DownloadReport::FileProgress(int job, int index, qint64 received, qint64 total) {
    File* file = FindFile(job, index);
    if (!file || !IsUnfinished(file->outcome))
        return;
    file->outcome = Outcome::Downloading;
    file->speed.Add(received);
    file->received = received;
    file->total = total;
    emit fileChanged(job, index);
}

void DownloadReport::FileRetrying(int job, int index, int nextTry, int tries) {
    File* file = FindFile(job, index);
    if (!file || !IsUnfinished(file->outcome))
        return;
    file->outcome = Outcome::Retrying;
    file->nextTry = nextTry;
    file->tries = tries;
    file->received = 0;
    file->total = 0;
    file->speed.Clear();
    emit fileChanged(job, index);
}

void DownloadReport::FileFinished(int job, int index, const QString& name, bool saved,
                                  const QString& reason) {
    Settle(job, index, name, saved, reason);
    const Job* found = FindJob(job);
    const Job* retried = found ? FindJob(found->retryOf) : nullptr;
    // A cancelled retry leaves the file failed where it failed first.
    if (!retried || DownloadCounts::KindOf(saved, reason) == DownloadCounts::Kind::Cancelled)
        return;
    const QString source = found->files.value(index).source;
    for (int i = 0; i < retried->files.size(); ++i)
        if (retried->files[i].outcome == Outcome::Failed && retried->files[i].source == source)
            Settle(retried->id, i, name, saved, reason);
}

// A saved file is under name, which may have gained an extension or a number.
void DownloadReport::Settle(int job, int index, const QString& name, bool saved,
                            const QString& reason) {
    File* file = FindFile(job, index);
    if (!file)
        return;
    if (saved && name != file->name) {
        file->destination.chop(file->name.size());
        file->destination += name;
        file->name = name;
    }
    // A file stopped mid-transfer reads as one the cancel reached before it started.
    file->outcome = OutcomeOf(DownloadCounts::KindOf(saved, reason));
    file->reason = reason;
    file->received = saved ? QFileInfo(file->destination).size() : 0;
    emit fileChanged(job, index);
}

void DownloadReport::JobEnded(int job) {
    const Job* found = FindJob(job);
    if (!found)
        return;
    Job& ended = jobs[int(found - jobs.constData())];
    ended.ended = true;
    ended.paused = false;
    for (int i = 0; i < ended.files.size(); ++i) {
        File& file = ended.files[i];
        if (IsUnfinished(file.outcome)) {
            file.outcome = Outcome::Cancelled;
            emit fileChanged(job, i);
        }
    }
    // Jobs still there, even all paused, are told again; a job cancelled alone
    // says no last word, so its counts replace the totals.
    if (AnyRunning(false) || AnyRunning(true))
        ShowTotals();
    else if (ended.cancelled)
        SetMessage(CountsOf(ended).CompletionMessage());
    UpdateTicker();
    emit jobEnded(job);
}

void DownloadReport::SetHandle(int job, std::shared_ptr<DownloadHandle> handle) {
    const Job* found = FindJob(job);
    if (!found || found->ended)
        return;
    jobs[int(found - jobs.constData())].handle = std::move(handle);
    UpdateTicker();
}

void DownloadReport::SetPaused(int job, bool paused) {
    Job* running = FindRunning(job);
    if (!running || running->paused == paused)
        return;
    running->paused = paused;
    if (paused)
        running->handle->Pause();
    else
        running->handle->Resume();
    // Speeds are measured afresh once the bytes flow again.
    for (File& file : running->files)
        file.speed.Clear();
    ShowTotals();
}

void DownloadReport::SetAllPaused(bool paused) {
    for (qsizetype i = 0; i < jobs.size(); ++i)
        SetPaused(jobs[i].id, paused);
}

void DownloadReport::Cancel(int job) {
    if (Job* running = FindRunning(job)) {
        running->cancelled = true;
        running->handle->Cancel();
        UpdateTicker();
    }
}

// Cancelled or done with its files, a job's worker may still report its end.
bool DownloadReport::IsRunning(int job) const {
    const Job* found = FindJob(job);
    return found && !found->ended && found->handle &&
           found->handle->Status() != DownloadHandle::State::Ended;
}

bool DownloadReport::AnyRunning(bool paused) const {
    return std::any_of(jobs.begin(), jobs.end(), [this, paused](const Job& job) {
        return IsRunning(job.id) && job.paused == paused;
    });
}

DownloadReport::Job* DownloadReport::FindRunning(int job) {
    const Job* found = FindJob(job);
    return IsRunning(job) ? &jobs[int(found - jobs.constData())] : nullptr;
}

// The running jobs' totals summed, into the message line and the report's lines.
void DownloadReport::ShowTotals() {
    DownloadHandle::Totals sum;
    sum.bytesTotal = 0;
    bool allPaused = true;
    for (const Job& job : jobs) {
        if (!IsRunning(job.id))
            continue;
        const DownloadHandle::Totals totals = job.handle->Progress();
        sum.filesDone += totals.filesDone;
        sum.filesTotal += totals.filesTotal;
        sum.bytesReceived += totals.bytesReceived;
        sum.bytesTotal =
            totals.bytesTotal >= 0 && sum.bytesTotal >= 0 ? sum.bytesTotal + totals.bytesTotal : -1;
        sum.bytesPerSecond += job.paused ? 0 : totals.bytesPerSecond;
        allPaused = allPaused && job.paused;
    }
    // Before the first measure there is nothing to tell.
    if (sum.filesTotal > 0) {
        sum.secondsLeft =
            TransferSpeed::SecondsLeft(sum.bytesReceived, sum.bytesTotal, sum.bytesPerSecond);
        SetMessage(DownloadProgressText::Message(sum, allPaused));
    }
    UpdateTicker();
    emit progressChanged();
}

void DownloadReport::UpdateTicker() {
    if (!AnyRunning(false))
        ticker.stop();
    else if (!ticker.isActive())
        ticker.start();
}

void DownloadReport::ClearFinished() {
    const qsizetype removed = jobs.removeIf([](const Job& job) { return job.ended; });
    if (removed > 0)
        emit jobsChanged();
}

const QList<DownloadReport::Job>& DownloadReport::Jobs() const {
    return jobs;
}

const DownloadReport::Job* DownloadReport::FindJob(int job) const {
    for (const Job& candidate : jobs)
        if (candidate.id == job)
            return &candidate;
    return nullptr;
}

DownloadReport::File* DownloadReport::FindFile(int job, int index) {
    const Job* found = FindJob(job);
    if (!found || index < 0 || index >= found->files.size())
        return nullptr;
    return &jobs[int(found - jobs.constData())].files[index];
}

int DownloadReport::RetryTarget(int job) const {
    const Job* found = FindJob(job);
    return found && FindJob(found->retryOf) ? found->retryOf : job;
}

bool DownloadReport::RetryRunning(int job) const {
    return std::any_of(jobs.begin(), jobs.end(), [job](const Job& candidate) {
        return candidate.retryOf == job && !candidate.ended;
    });
}

DownloadJob DownloadReport::FailedFilesOf(int job) const {
    const Job* found = FindJob(job);
    if (!found)
        return DownloadJob();
    DownloadJob retry = found->settings;
    if (RetryRunning(job))
        return retry;
    for (const File& file : found->files)
        if (file.outcome == Outcome::Failed)
            retry.AddListedFrom(found->folder, file.name, file.source, file.page, file.policy,
                                file.subfolder);
    return retry;
}

int DownloadReport::FilesLeft() const {
    return filesLeftShown;
}

void DownloadReport::ReportFilesLeft(int change) {
    filesLeftTotal = qMax(0, filesLeftTotal + change);
    filesLeftShown = filesLeftTotal;
    emit filesLeftChanged(filesLeftShown);
}

void DownloadReport::LeaveFilesLeft(int part) {
    filesLeftTotal = qMax(0, filesLeftTotal - part);
}

int DownloadReport::RunningJobs() const {
    return runningJobs;
}

void DownloadReport::ChangeRunningJobs(int change) {
    runningJobs = qMax(0, runningJobs + change);
    emit runningJobsChanged(runningJobs);
}

QString DownloadReport::Message() const {
    return message;
}

void DownloadReport::SetMessage(const QString& text) {
    message = text;
    emit messageChanged(message);
}

// A file still waiting or in progress counts nowhere yet.
DownloadCounts DownloadReport::CountsOf(const Job& job) {
    using Kind = DownloadCounts::Kind;
    DownloadCounts counts;
    for (const File& file : job.files)
        for (const Kind kind :
             {Kind::Saved, Kind::AlreadySaved, Kind::Skipped, Kind::Failed, Kind::Cancelled})
            if (file.outcome == OutcomeOf(kind))
                counts.Add(kind);
    return counts;
}

QString DownloadReport::SummaryText(const Job& job) {
    return job.ended ? CountsOf(job).Text() : QString();
}

QString DownloadReport::OutcomeText(const File& file) {
    switch (file.outcome) {
    case Outcome::Waiting:
        return QStringLiteral("waiting");
    case Outcome::Downloading:
        return file.total > 0
                   ? QStringLiteral("downloading %1 %").arg(file.received * 100 / file.total)
                   : QStringLiteral("downloading");
    case Outcome::Retrying:
        return QStringLiteral("waiting to retry, try %1 of %2").arg(file.nextTry).arg(file.tries);
    case Outcome::Saved:
        return file.reason.isEmpty() ? QStringLiteral("saved")
                                     : QStringLiteral("saved (%1)").arg(file.reason);
    case Outcome::AlreadySaved:
        return file.reason;
    case Outcome::Skipped:
        return QStringLiteral("skipped: ") + file.reason;
    case Outcome::Failed:
        return QStringLiteral("failed: ") + file.reason;
    case Outcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QString();
}

QString DownloadReport::ProgressText(const Job& job) {
    if (job.ended || !job.handle)
        return QString();
    return DownloadProgressText::Totals(job.handle->Progress(), job.paused);
}

QString DownloadReport::PaceText(const File& file) {
    const qint64 speed = file.speed.BytesPerSecond();
    return DownloadProgressText::Pace(speed,
                                      TransferSpeed::SecondsLeft(file.received, file.total, speed));
}
