#include "downloads/DownloadReport.h"

#include "downloads/DownloadProgressText.h"

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
    case DownloadCounts::Kind::LeftOut:
        return DownloadReport::Outcome::Skipped;
    case DownloadCounts::Kind::Failed:
        return DownloadReport::Outcome::Failed;
    case DownloadCounts::Kind::Cancelled:
        break;
    }
    return DownloadReport::Outcome::Cancelled;
}

bool IsDone(DownloadReport::Outcome outcome) {
    return outcome == DownloadReport::Outcome::Saved ||
           outcome == DownloadReport::Outcome::AlreadySaved;
}

// The bytes still to come: what each file on its way announced, and for the
// others the mean size of the files whose size is known; -1 while none is.
qint64 BytesLeft(const QList<DownloadReport::File>& files) {
    qint64 known = 0;
    qint64 sized = 0;
    for (const DownloadReport::File& file : files) {
        const bool announced =
            file.outcome == DownloadReport::Outcome::Downloading && file.total > 0;
        if (IsDone(file.outcome) || announced) {
            known += IsDone(file.outcome) ? file.received : file.total;
            ++sized;
        }
    }
    if (sized == 0)
        return -1;
    qint64 left = 0;
    for (const DownloadReport::File& file : files) {
        if (!IsUnfinished(file.outcome))
            continue;
        const qint64 expected = file.total > 0 ? file.total : known / sized;
        left += qMax<qint64>(0, expected - file.received);
    }
    return left;
}

} // namespace

DownloadReport::DownloadReport(QObject* parent) : QObject(parent) {
    ticker.setInterval(500);
    connect(&ticker, &QTimer::timeout, this, &DownloadReport::Measure);
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

void DownloadReport::JobCompleted(int job) {
    // A job cancelled alone as it went through says so when it ends.
    const Job* found = FindJob(job);
    if (found && !found->cancelled)
        SetMessage(EndMessage(*found));
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
    // A job stopped with all the others leaves the message line to what stopped it.
    if (ended.cancelled)
        SetMessage(EndMessage(ended));
    Measure();
    emit jobEnded(job);
}

void DownloadReport::SetHandle(int job, std::shared_ptr<DownloadHandle> handle) {
    const Job* found = FindJob(job);
    if (!found || found->ended)
        return;
    jobs[int(found - jobs.constData())].handle = std::move(handle);
    Measure();
}

void DownloadReport::SetPaused(int job, bool paused) {
    if (PauseJob(job, paused))
        TellPause(paused);
}

void DownloadReport::SetAllPaused(bool paused) {
    bool changed = false;
    for (qsizetype i = 0; i < jobs.size(); ++i)
        changed = PauseJob(jobs[i].id, paused) || changed;
    if (changed)
        TellPause(paused);
}

bool DownloadReport::PauseJob(int job, bool paused) {
    Job* running = FindRunning(job);
    if (!running || running->paused == paused)
        return false;
    running->paused = paused;
    if (paused)
        running->handle->Pause();
    else
        running->handle->Resume();
    // Speeds are measured afresh once the bytes flow again.
    for (File& file : running->files)
        file.speed.Clear();
    return true;
}

// The message line tells a pause once nothing runs on, and a resume.
void DownloadReport::TellPause(bool paused) {
    if (!paused) {
        SetMessage(QStringLiteral("Downloading..."));
    } else if (!AnyRunning(false)) {
        const RunningSum sum = SumRunning();
        SetMessage(
            DownloadProgressText::Paused(sum.totals.filesDone, sum.totals.filesTotal, sum.failed));
    }
    Measure();
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

DownloadReport::RunningSum DownloadReport::SumRunning() const {
    RunningSum sum;
    sum.totals.bytesTotal = 0;
    for (const Job& job : jobs) {
        if (!IsRunning(job.id))
            continue;
        const DownloadHandle::Totals totals = TotalsOf(job);
        sum.totals.filesDone += totals.filesDone;
        sum.totals.filesTotal += totals.filesTotal;
        sum.totals.bytesReceived += totals.bytesReceived;
        sum.totals.bytesTotal = totals.bytesTotal >= 0 && sum.totals.bytesTotal >= 0
                                    ? sum.totals.bytesTotal + totals.bytesTotal
                                    : -1;
        sum.totals.bytesPerSecond += job.paused ? 0 : totals.bytesPerSecond;
        const qint64 left = BytesLeft(job.files);
        sum.bytesLeft = left >= 0 && sum.bytesLeft >= 0 ? sum.bytesLeft + left : -1;
        sum.failed += CountsOf(job).failed;
        ++sum.jobs;
        sum.paused = sum.paused && job.paused;
    }
    sum.totals.secondsLeft =
        TransferSpeed::SecondsLeft(0, sum.bytesLeft, sum.totals.bytesPerSecond);
    return sum;
}

// Files done are those saved or there already; the handle gives the bytes and
// the speed, and the time left counts files not started yet too.
DownloadHandle::Totals DownloadReport::TotalsOf(const Job& job) {
    DownloadHandle::Totals totals = job.handle->Progress();
    const DownloadCounts counts = CountsOf(job);
    totals.filesDone = counts.saved + counts.alreadySaved + counts.skipped;
    totals.filesTotal = int(job.files.size());
    totals.secondsLeft = TransferSpeed::SecondsLeft(0, BytesLeft(job.files), totals.bytesPerSecond);
    return totals;
}

QString DownloadReport::TotalsText() const {
    const RunningSum sum = SumRunning();
    if (sum.jobs == 0)
        return QString();
    const QString text = DownloadProgressText::Totals(sum.totals, sum.failed, sum.paused);
    return sum.jobs == 1 ? text : QStringLiteral("%1 downloads: %2").arg(sum.jobs).arg(text);
}

QStringList DownloadReport::RunningLines() const {
    QStringList lines;
    for (const Job& job : jobs)
        if (IsRunning(job.id))
            lines.append(JobLine(job));
    return lines;
}

QString DownloadReport::QuitQuestion() const {
    if (AnyRunning(true) && !AnyRunning(false))
        return QStringLiteral("Downloads are paused. Stop them and quit?");
    return QStringLiteral("Files are still downloading. Stop the downloads and quit?");
}

void DownloadReport::Measure() {
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
    const QString progress = ProgressText(job);
    return progress.isEmpty() ? CountsOf(job).Text() : progress;
}

QString DownloadReport::JobLine(const Job& job) {
    return QStringLiteral("Download %1 into %2: %3").arg(job.id).arg(job.folder, SummaryText(job));
}

QString DownloadReport::EndMessage(const Job& job) {
    const DownloadCounts counts = CountsOf(job);
    if (job.cancelled)
        return QStringLiteral("Download cancelled: ") + counts.Text();
    // Files the folder held already are as good as saved.
    if (counts.skipped + counts.failed + counts.cancelled == 0)
        return QStringLiteral("Download complete");
    return counts.CompletionMessage();
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
    return DownloadProgressText::Totals(TotalsOf(job), CountsOf(job).failed, job.paused);
}

QString DownloadReport::PaceText(const File& file) {
    const qint64 speed = file.speed.BytesPerSecond();
    return DownloadProgressText::Pace(speed,
                                      TransferSpeed::SecondsLeft(file.received, file.total, speed));
}
