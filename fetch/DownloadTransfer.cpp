#include "fetch/DownloadTransfer.h"

#include "fetch/DownloadFolders.h"
#include "fetch/DownloadJob.h"
#include "fetch/DownloadProgressSink.h"
#include "fetch/OriginMarks.h"
#include "fetch/SameSizeCopy.h"
#include "names/FittedName.h"
#include "names/PictureSniffer.h"
#include "names/TypeExtension.h"
#include "transfer/RatePacer.h"
#include "transfer/TransferRules.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <utility>

DownloadTransfer::DownloadTransfer(const DownloadJob& job, const DownloadFolders& folders,
                                   const std::atomic<bool>& cancelRequested,
                                   DownloadProgressSink& sink, QSet<QString>& savedDestinations)
    : job(job), folders(folders), cancelRequested(cancelRequested), sink(sink),
      placement(job, savedDestinations), handle(curl_easy_init()) {
    ::clock_gettime(CLOCK_REALTIME, &begun);
    if (handle)
        Configure();
}

DownloadTransfer::~DownloadTransfer() {
    if (handle)
        curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
}

void DownloadTransfer::Configure() {
    job.Rules.Configure(handle, errorText);
    curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, BlockSize);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &DownloadTransfer::WriteBlock);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &DownloadTransfer::ReadHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &DownloadTransfer::WatchProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
}

bool DownloadTransfer::Begin(int entry) {
    index = entry;
    name = Entry().Name;
    tries = 1;
    reason.clear();
    if (!handle) {
        reason = QStringLiteral("cannot start a transfer");
        return false;
    }
    if (!DownloadJob::IsPlainFileName(Entry().Name)) {
        reason = QStringLiteral("not a plain file name");
        return false;
    }
    if (!CheckSource())
        return false;
    held = HeldPictures::OfThisRun().Find(Entry().Source);
    if (held && !WouldSend(held->requests))
        held.reset();
    return held || StartAtListedAddress();
}

// The held bytes answered requests this entry would send too: the same
// addresses, with the same Referer and cookies.
bool DownloadTransfer::WouldSend(const QList<QByteArray>& requests) const {
    return !requests.isEmpty() &&
           std::all_of(requests.begin(), requests.end(), [&](const QByteArray& mark) {
               const QByteArray target = mark.left(mark.indexOf('\n'));
               return job.Rules.RequestMark(Entry().Page, Entry().Policy, Entry().Source, target) ==
                      mark;
           });
}

// The same checks of type, name and folder as a fetched answer passes.
bool DownloadTransfer::SaveHeld() {
    const HeldPictures::Picture picture = *std::exchange(held, std::nullopt);
    const int folder = folders.Handle(Folder());
    if (folder < 0) {
        reason = folders.Error(Folder());
        return false;
    }
    if (!file.Open(folder) || !file.Write(picture.data.constData(), size_t(picture.data.size()))) {
        reason = file.Error();
        file.Discard();
        return false;
    }
    firstBytes = picture.data.left(PictureSniffer::SniffLength);
    const QString saved = NameByType(picture.type.isEmpty() ? nullptr : picture.type.constData());
    if (!saved.isEmpty() && Place(saved)) {
        if (reason.isEmpty())
            reason = HeldReason();
        return true;
    }
    file.Discard();
    return false;
}

// Opens a fresh destination file and asks for the listed address again.
bool DownloadTransfer::StartAtListedAddress() {
    const int folder = folders.Handle(Folder());
    if (folder < 0) {
        reason = folders.Error(Folder());
        return false;
    }
    if (!OpenFile(folder)) {
        reason = file.Error();
        return false;
    }
    startOvers = 0;
    restRequests = 0;
    RequestRest();
    return true;
}

// Continues the partial file a run before left, or starts a fresh one.
bool DownloadTransfer::OpenFile(int folder) {
    const QByteArray part = PartName();
    QByteArray kept;
    if (job.ContinuePartial && file.OpenPartial(folder, part, Entry().Source, kept)) {
        resume.ContinueUnder(kept);
        return true;
    }
    DownloadFile::RemovePartial(folder, part, Entry().Source);
    resume.Forget();
    return file.Open(folder);
}

QByteArray DownloadTransfer::PartName() const {
    return DownloadFile::PartialName(Entry().Name);
}

void DownloadTransfer::AskFrom(qint64 from) {
    resume.Ask(from);
    curl_slist_free_all(headers);
    headers = nullptr;
    if (from > 0)
        headers = curl_slist_append(nullptr, "If-Range: " + resume.IfRange());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_RANGE,
                     from > 0 ? (QByteArray::number(from) + '-').constData() : nullptr);
}

// Asks the listed address for what the file does not hold yet.
void DownloadTransfer::RequestRest() {
    hops = 0;
    Request(address);
    AskFrom(file.Size());
    Restart();
}

void DownloadTransfer::Pause() {
    file.Flush();
}

bool DownloadTransfer::Continue() {
    if (resume.Validator().isEmpty() && !file.Restart(Entry().Source, QByteArray())) {
        reason = file.Error();
        return false;
    }
    RequestRest();
    return true;
}

void DownloadTransfer::Request(const QByteArray& target) {
    job.Rules.Request(handle, Entry().Page, Entry().Policy, Entry().Source, target, hops);
    errorText[0] = '\0';
    // A new request starts unpaused.
    pacedBytes = 0;
    pacedOut = false;
}

// A page decides which addresses are fetched.
bool DownloadTransfer::CheckSource() {
    const QUrl source(Entry().Source);
    reason = TransferRules::SourceRefusal(source, job.Rules.FileSourceAllowed(Entry().Page));
    address = source.toEncoded();
    return reason.isEmpty();
}

void DownloadTransfer::Restart() {
    writeFailed = false;
    stalled = false;
    windowStart = Clock::now();
    windowBytes = 0;
    nextProgressReport = windowStart;
    reportedProgress = 0;
    firstBytes = file.Size() > 0 ? file.FirstBytes(PictureSniffer::SniffLength) : QByteArray();
    answerTaken = false;
    startOver = false;
    keepTried = false;
    sameSizeThere = false;
    progressBase = 0;
    expected = -1;
    outOfBounds.clear();
}

DownloadTransfer::Outcome DownloadTransfer::Finish(CURLcode result) {
    if (!outOfBounds.isEmpty()) {
        reason = DownloadCounts::LeftOutReason(outOfBounds);
        file.Discard();
        return Outcome::Failed;
    }
    if (sameSizeThere) {
        file.Discard();
        name = Entry().Name;
        reason = DownloadCounts::AlreadySavedReason();
        return Outcome::Saved;
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const QByteArray target =
        cancelRequested ? QByteArray() : TransferRules::RedirectTarget(handle, result, status);
    reason = target.isEmpty() ? FailureReason(result, status)
                              : TransferRules::RedirectRefusal(target, hops);
    if (!target.isEmpty() && reason.isEmpty()) {
        ++hops;
        Request(target);
        answerTaken = false;
        return Outcome::Redirect;
    }
    const Outcome judged = JudgeAnswer(result, status);
    if (judged != Outcome::Failed)
        return judged;
    if (IsTransient(result, status) && ScheduleRetry()) {
        file.Release();
        return Outcome::Retry;
    }
    file.Discard();
    if (tries > 1)
        reason += QStringLiteral(" (%1 tries)").arg(tries);
    return Outcome::Failed;
}

// A file whose bytes reach the end the server announced is saved; one that
// came short asks for the rest; bytes past that end are not trusted, nor is
// a part that does not fit (the file is fetched again).
DownloadTransfer::Outcome DownloadTransfer::JudgeAnswer(CURLcode result, long status) {
    if (cancelRequested)
        return Outcome::Failed;
    // An answer without a body is judged as it ends.
    if (reason.isEmpty() && !answerTaken && (!IsHttp() || TransferRules::IsKeptHttpStatus(status)))
        TakeAnswer(status);
    // A status 416: the part asked for lies past the file's end, so the file has changed.
    if (startOver || (status == 416 && resume.AskedFrom() > 0))
        return StartOver();
    if (!answerTaken || !(reason.isEmpty() || result == CURLE_PARTIAL_FILE))
        return Outcome::Failed;
    switch (resume.ExtentOf(file.Size())) {
    case ResumeCheck::Extent::Whole:
        return result == CURLE_OK ? Save() : Outcome::Failed;
    case ResumeCheck::Extent::Short:
        return AskForRest();
    case ResumeCheck::Extent::Wrong:
        return StartOver();
    }
    return Outcome::Failed;
}

DownloadTransfer::Outcome DownloadTransfer::Save() {
    const char* type = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type);
    if (job.MinBytes > 0 && file.Size() < job.MinBytes) {
        reason = DownloadCounts::LeftOutReason(SmallerText());
        file.Discard();
        return Outcome::Failed;
    }
    const QString saved = NameByType(type);
    return !saved.isEmpty() && Place(saved) ? Outcome::Saved : Outcome::Failed;
}

DownloadTransfer::Outcome DownloadTransfer::StartOver() {
    if (++startOvers > MaxStartOvers) {
        reason = QStringLiteral("server sent another part of the file");
        return Outcome::Failed;
    }
    if (!file.Restart(Entry().Source, QByteArray())) {
        reason = file.Error();
        return Outcome::Failed;
    }
    resume.Forget();
    RequestRest();
    return Outcome::Redirect;
}

// Only the version the file so far came from may give the rest.
DownloadTransfer::Outcome DownloadTransfer::AskForRest() {
    if (resume.Validator().isEmpty() || !IsHttp() || ++restRequests > MaxRestRequests) {
        if (reason.isEmpty())
            reason = QStringLiteral("server sent %1 of %2 bytes")
                         .arg(file.Size())
                         .arg(resume.ExpectedSize());
        return Outcome::Failed;
    }
    RequestRest();
    return Outcome::Redirect;
}

// A name without a picture or media extension takes the one of the answer's
// type, or of the picture its first bytes begin where the type says nothing
// useful; an answer that is no picture is not saved under it at all.
QString DownloadTransfer::NameByType(const char* type) {
    const QString typeText = QString::fromLatin1(type);
    const QString typed =
        TypeExtension::NameWithExtension(name, PictureSniffer::ShownType(typeText, firstBytes));
    if (typed.isEmpty())
        reason = QStringLiteral("not a picture: ") +
                 (type ? typeText.section(QLatin1Char(';'), 0, 0).trimmed()
                       : QStringLiteral("no type given"));
    return typed;
}

// A file placed gets its origin marked on it.
bool DownloadTransfer::Place(const QString& wanted) {
    if (!file.Finish()) {
        reason = file.Error();
        return false;
    }
    const FilePlacement::Result placed = placement.Place(file, Entry(), wanted, name, reason);
    if (placed == FilePlacement::Result::Placed)
        OriginMarks::Write(folders.Handle(Folder()), name, Entry(), job);
    return placed != FilePlacement::Result::Failed;
}

const DownloadEntry& DownloadTransfer::Entry() const {
    return job.Entries.at(index);
}

QString DownloadTransfer::Folder() const {
    return QFileInfo(Entry().Destination).path();
}

// Empty when the answer is to be saved.
QString DownloadTransfer::FailureReason(CURLcode result, long status) const {
    if (cancelRequested)
        return DownloadProgressSink::CancelledReason();
    if (writeFailed)
        return file.Error();
    if (stalled)
        return QStringLiteral("fewer than %1 bytes in %2 seconds, given up")
            .arg(StallBytes)
            .arg(StallSeconds);
    if (result != CURLE_OK)
        return QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(result));
    if (IsHttp() && !TransferRules::IsKeptHttpStatus(status))
        return TransferRules::StatusReason(status);
    return QString();
}

// Refused, dropped or unanswered connections, time-outs and a busy server may pass; a
// trickling server, a full disk or a missing file will not.
bool DownloadTransfer::IsTransient(CURLcode result, long status) const {
    if (cancelRequested || writeFailed || stalled)
        return false;
    switch (result) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return true;
    case CURLE_OK:
        return IsHttp() && (status == 408 || status == 429 || status == 500 || status == 502 ||
                            status == 503 || status == 504);
    default:
        return false;
    }
}

bool DownloadTransfer::ScheduleRetry() {
    if (tries >= MaxTries)
        return false;
    curl_off_t asked = 0;
    curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &asked);
    askedToWait = qint64(asked);
    if (asked > MaxRetryAfterSeconds) {
        reason += QStringLiteral(", asked to wait %1 seconds").arg(asked);
        return false;
    }
    const auto wait =
        asked > 0 ? std::chrono::seconds(asked) : std::chrono::seconds(1 << (tries - 1));
    retryTime = Clock::now() + wait;
    return true;
}

// Each try starts again at the listed address.
bool DownloadTransfer::Retry() {
    ++tries;
    if (StartAtListedAddress())
        return true;
    reason += QStringLiteral(" (%1 tries)").arg(tries);
    return false;
}

void DownloadTransfer::Abandon(const QString& why) {
    reason = why;
    file.Discard();
}

void DownloadTransfer::Interrupt(const QString& why) {
    reason = why;
    file.Release();
}

bool DownloadTransfer::IsHttp() const {
    return TransferRules::IsHttp(handle);
}

// Reads of a sixteenth of a second's bytes keep the pace even: a read may
// overdraw it, and the job's last one is never paid back.
void DownloadTransfer::PaceWith(RatePacer* pacer) {
    this->pacer = pacer;
    if (pacer->IsLimited())
        curl_easy_setopt(
            handle, CURLOPT_BUFFERSIZE,
            long(std::clamp<qint64>(pacer->Rate() / 16, SmallestBlockSize, BlockSize)));
}

void DownloadTransfer::Unpace() {
    if (!pacedOut)
        return;
    pacedOut = false;
    curl_easy_pause(handle, CURLPAUSE_CONT);
    windowStart = Clock::now();
}

// The handle stops reading, rather than its write callback refusing bytes: a
// paused write keeps everything decoded meanwhile in memory, and a highly
// compressed answer decodes a single read to hundreds of megabytes. Both
// directions pause, or the transfer library reads once more regardless; and
// only once the body comes, as a pause set before is lost when it starts.
void DownloadTransfer::KeepPace(curl_off_t received) {
    if (!pacer || received <= 0)
        return;
    if (received > pacedBytes)
        pacer->Take(qint64(received - pacedBytes), true);
    pacedBytes = received;
    if (!pacedOut && pacer->WaitTime() > RatePacer::Clock::duration::zero()) {
        pacedOut = true;
        curl_easy_pause(handle, CURLPAUSE_ALL);
    }
}

// Writes one received block straight to the file. The body of an answer that
// is not saved is read and dropped, so the connection stays usable.
size_t DownloadTransfer::WriteBlock(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<DownloadTransfer*>(self);
    const size_t length = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
    if (!transfer->IsHttp() || TransferRules::IsKeptHttpStatus(status)) {
        if (!transfer->answerTaken && !transfer->TakeAnswer(status))
            return CURL_WRITEFUNC_ERROR;
        if (!transfer->WithinBounds(length))
            return CURL_WRITEFUNC_ERROR;
        if (!transfer->file.Write(data, length)) {
            transfer->writeFailed = true;
            return CURL_WRITEFUNC_ERROR;
        }
        transfer->KeepFirstBytes(data, length);
        transfer->KeepWhenLarge();
    }
    return transfer->cancelRequested ? CURL_WRITEFUNC_ERROR : length;
}

// A file the job leaves out by its size stops as soon as that is known: by
// the length the answer announces, or as its bytes pass the bound.
bool DownloadTransfer::WithinBounds(size_t length) {
    curl_off_t announced = -1;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    const qint64 whole = announced >= 0 ? progressBase + qint64(announced) : -1;
    if (job.MaxBytes > 0 && (whole > job.MaxBytes || file.Size() + qint64(length) > job.MaxBytes))
        outOfBounds = QStringLiteral("larger than %1 bytes").arg(job.MaxBytes);
    else if (job.MinBytes > 0 && whole >= 0 && whole < job.MinBytes)
        outOfBounds = SmallerText();
    return outOfBounds.isEmpty();
}

QString DownloadTransfer::SmallerText() const {
    return QStringLiteral("smaller than %1 bytes").arg(job.MinBytes);
}

// The server answers a request for the rest with that part (206) only while
// the file is unchanged; any whole answer starts the file over.
bool DownloadTransfer::TakeAnswer(long status) {
    answerTaken = true;
    switch (resume.Judge(IsHttp(), status)) {
    case ResumeCheck::Verdict::Continues:
        progressBase = resume.AskedFrom();
        return true;
    case ResumeCheck::Verdict::StartsOver:
        startOver = true;
        return false;
    case ResumeCheck::Verdict::Whole:
        break;
    }
    if (file.Size() > 0 && !file.Restart(Entry().Source, resume.Validator())) {
        writeFailed = true;
        return false;
    }
    firstBytes.clear();
    return true;
}

// Only an answer that can be checked later is worth keeping for a later run.
// Tried once an answer: where the partial name is taken, or the folder takes
// no marks, every block would try again, writing the file in small pieces.
void DownloadTransfer::KeepWhenLarge() {
    if (keepTried || file.IsKept() || resume.Validator().isEmpty() || file.Size() < KeepAfterBytes)
        return;
    keepTried = true;
    file.KeepAs(PartName(), Entry().Source, resume.Validator());
}

// Notes what a later request for the rest is checked against.
size_t DownloadTransfer::ReadHeader(char* data, size_t size, size_t count, void* self) {
    auto* transfer = static_cast<DownloadTransfer*>(self);
    const QByteArray line(data, qsizetype(size * count));
    transfer->resume.Note(line);
    // The headers' end: the transfer stops here when the folder holds the file.
    if (line.trimmed().isEmpty() && transfer->FoundSameSize())
        return 0;
    return size * count;
}

// A whole answer of the announced length that a file of the folder stands for.
bool DownloadTransfer::FoundSameSize() {
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const qint64 length = resume.WholeLength();
    sameSizeThere = job.SameSizeIsSaved && IsHttp() && status == 200 && length >= 0 &&
                    resume.AskedFrom() == 0 && !placement.HasSaved(Entry().Destination) &&
                    SameSizeCopy::IsIn(folders.Handle(Folder()), Entry().Name, length,
                                       OriginMarks::OriginOf(Entry()), begun);
    return sameSizeThere;
}

void DownloadTransfer::KeepFirstBytes(const char* data, size_t length) {
    const qsizetype wanted = PictureSniffer::SniffLength - firstBytes.size();
    if (wanted > 0)
        firstBytes.append(data, std::min<qsizetype>(wanted, qsizetype(length)));
}

// Called about once a second even while nothing arrives, so a cancellation also
// ends a stalled transfer or a connection attempt, and a trickle is given up.
int DownloadTransfer::WatchProgress(void* self, curl_off_t total, curl_off_t received, curl_off_t,
                                    curl_off_t) {
    auto* transfer = static_cast<DownloadTransfer*>(self);
    const auto now = Clock::now();
    if (received < transfer->windowBytes) // a redirect starts the count again
        transfer->windowBytes = received;
    // Waiting for its pace is not stalling.
    if (received - transfer->windowBytes >= StallBytes || transfer->pacedOut) {
        transfer->windowStart = now;
        transfer->windowBytes = received;
    } else if (now - transfer->windowStart >= std::chrono::seconds(StallSeconds)) {
        transfer->stalled = true;
    }
    transfer->KeepPace(received);
    transfer->expected = total > 0 ? transfer->progressBase + total : -1;
    transfer->ReportProgress(transfer->progressBase + received, transfer->expected);
    return transfer->cancelRequested || transfer->stalled ? 1 : 0;
}

// A few times a second at most, and only when more bytes have arrived, so a
// large file's bytes and speed are told while its percentage stands still.
void DownloadTransfer::ReportProgress(curl_off_t received, curl_off_t total) {
    const auto now = Clock::now();
    total = std::max<curl_off_t>(total, 0);
    if (received <= reportedProgress || now < nextProgressReport)
        return;
    reportedProgress = received;
    nextProgressReport = now + ProgressInterval;
    sink.FileProgress(index, received, total);
}
