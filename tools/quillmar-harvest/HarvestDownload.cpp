#include "HarvestDownload.h"

#include "ConsoleDownloadSink.h"
#include "ToolLogins.h"
#include "ToolName.h"
#include "app/InterruptWatch.h"
#include "core/TerminalText.h"
#include "downloads/Downloads.h"
#include "downloads/JobBuilder.h"
#include "fetch/DownloadHandle.h"
#include "fetch/DownloadRegistry.h"
#include "follow/FollowedList.h"
#include "records/DownloadArchive.h"
#include "records/SavedCheck.h"

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <limits>
#include <unistd.h>

namespace {

// How often the progress line is redrawn.
constexpr int ProgressMilliseconds = 500;

QString Bytes(qint64 bytes) {
    if (bytes >= 1024 * 1024)
        return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
    return QString::number(double(bytes) / 1024, 'f', 1) + QStringLiteral(" KB");
}

// "3 of 40 files, 12.0 MB of 80.0 MB, 3.2 MB/s, 20 s left", as much as is known.
QString ProgressLine(const DownloadHandle::Totals& totals) {
    QString line = QStringLiteral("%1 of %2 files, %3")
                       .arg(totals.filesDone)
                       .arg(totals.filesTotal)
                       .arg(Bytes(totals.bytesReceived));
    if (totals.bytesTotal >= 0)
        line += QStringLiteral(" of ") + Bytes(totals.bytesTotal);
    line += QStringLiteral(", ") + Bytes(totals.bytesPerSecond) + QStringLiteral("/s");
    if (totals.secondsLeft >= 0)
        line += QStringLiteral(", %1 s left").arg(totals.secondsLeft);
    return line;
}

void ShowProgress(const DownloadHandle& handle) {
    // Padded so a shorter line covers a longer one before it.
    std::fprintf(stderr, "\r%-70s", qPrintable(ProgressLine(handle.Progress())));
    std::fflush(stderr);
}

} // namespace

std::optional<qint64> HarvestDownload::RateIn(const QString& text) {
    return text.endsWith(QLatin1Char('G'), Qt::CaseInsensitive) ? std::nullopt : SizeIn(text);
}

std::optional<qint64> HarvestDownload::SizeIn(const QString& text) {
    static const QRegularExpression size(QStringLiteral("^([0-9]{1,12})([kKmMgG]?)$"));
    const QRegularExpressionMatch match = size.match(text);
    const int shift =
        std::max<int>(int(QStringLiteral(" KMG").indexOf(match.captured(2).toUpper())), 0) * 10;
    const qint64 number = match.captured(1).toLongLong();
    if (!match.hasMatch() || number <= 0 || number > (std::numeric_limits<qint64>::max() >> shift))
        return std::nullopt;
    return number << shift;
}

QString HarvestDownload::LeftOutReason(const DeepEntry& line, const Choice& choice) {
    for (const QString& text : choice.reject)
        if (line.name.contains(text, Qt::CaseInsensitive))
            return QStringLiteral("its name holds \"%1\" (--reject)").arg(text);
    if (choice.acceptAddresses.isValid() && !choice.acceptAddresses.pattern().isEmpty() &&
        !choice.acceptAddresses.match(line.address).hasMatch())
        return QStringLiteral("its address does not match --accept-regex");
    if (choice.rejectAddresses.isValid() && !choice.rejectAddresses.pattern().isEmpty() &&
        choice.rejectAddresses.match(line.address).hasMatch())
        return QStringLiteral("its address matches --reject-regex");
    return QString();
}

std::vector<FollowedEntry> HarvestDownload::ChosenLines(const std::vector<FollowedList>& harvests,
                                                        const Choice& choice) {
    std::vector<FollowedEntry> chosen;
    const auto addEach = [&](const std::vector<FollowedEntry>& lines) {
        for (const FollowedEntry& line : lines) {
            if (line.entry.name.contains(choice.match, Qt::CaseInsensitive) &&
                LeftOutReason(line.entry, choice).isEmpty())
                chosen.push_back(line);
        }
    };
    for (const FollowedList& harvest : harvests) {
        if (choice.images)
            addEach(harvest.Images());
        if (choice.links)
            addEach(harvest.Links());
    }
    return chosen;
}

DownloadJob HarvestDownload::BuildJob(const std::vector<FollowedList>& harvests,
                                      const Choice& choice, const Records& records,
                                      const QHash<QString, QString>& keptFor,
                                      QStringList& notFetched) {
    // Every line names the page it came from; the job's own page is never used.
    JobBuilder builder({QUrl(), RefererPolicy(), ToolLogins::CookieLines()}, choice.folder,
                       choice.parallel);
    builder.SetNames(NameTemplate(choice.names), QDate::currentDate());
    QHash<QString, QString> names; // address -> the name it is first listed under
    QStringList claimed;           // each address to fetch once, in order
    for (const FollowedEntry& line : ChosenLines(harvests, choice)) {
        if (!names.contains(line.entry.address) && !keptFor.contains(line.entry.address))
            claimed.append(line.entry.address);
        names.insert(line.entry.address, names.value(line.entry.address, line.entry.name));
    }
    const QHash<QString, SavedCheck::Settled> settled =
        SavedCheck::Claim(claimed, records.archive.get(), records.folder.get());
    QSet<QString> notFetchedAddresses;
    // Notes line when a record says it was saved or another run is fetching
    // it; false when the line is this run's to fetch.
    const auto noteSettled = [&](const HarvestLine& line) {
        const auto found = settled.constFind(line.address);
        if (found == settled.constEnd())
            return false;
        if (!notFetchedAddresses.contains(line.address)) {
            notFetchedAddresses.insert(line.address);
            notFetched << (found->elsewhere ? QStringLiteral("another run fetches ")
                           : found->kind == DownloadCounts::Kind::Skipped
                               ? QStringLiteral("skipped ")
                               : QStringLiteral("already saved ")) +
                              TerminalText::Printable(found->NameOr(line.name));
            builder.AddSettled(line, *found);
        }
        return true;
    };
    const auto addEach = [&](const std::vector<FollowedEntry>& lines) {
        for (const FollowedEntry& line : lines) {
            const DeepEntry& entry = line.entry;
            if (!entry.name.contains(choice.match, Qt::CaseInsensitive) ||
                choice.leaveOut.contains(entry.address))
                continue;
            const QString why = LeftOutReason(entry, choice);
            if (!why.isEmpty()) {
                if (!notFetchedAddresses.contains(entry.address)) {
                    notFetched << ConsoleDownloadSink::LeftOutLine(entry.name, why);
                    builder.AddLeftOut({entry.name, entry.address}, why);
                }
                notFetchedAddresses.insert(entry.address);
                continue;
            }
            const auto better = keptFor.constFind(entry.address);
            if (better != keptFor.constEnd()) {
                if (!notFetchedAddresses.contains(entry.address))
                    notFetched << QStringLiteral("similar %1: kept %2")
                                      .arg(names.value(entry.address), names.value(*better));
                notFetchedAddresses.insert(entry.address);
            } else if (!noteSettled({entry.name, entry.address})) {
                builder.AddLineFrom({entry.name, entry.address}, QUrl(line.from),
                                    RefererPolicy(line.referrer.policy, line.referrer.elements),
                                    line.taken ? line.title : QString());
            }
        }
    };
    for (const FollowedList& harvest : harvests) {
        builder.SetGallery(QUrl(harvest.FirstPage()), harvest.Title());
        std::vector<DeepEntry> details;
        for (const FollowedEntry& line : harvest.Images())
            details.push_back(line.entry);
        builder.KnowSizes(details);
        if (choice.images)
            addEach(harvest.Images());
        if (choice.links)
            addEach(harvest.Links());
    }
    DownloadJob job = builder.Job();
    Downloads::ApplyChoices(choice, job);
    job.PerSite = choice.perSite;
    job.MinBytes = choice.minBytes;
    job.MaxBytes = choice.maxBytes;
    // Files saved without the record, or by a run killed before it recorded them.
    job.SameSizeIsSaved = records.folder != nullptr;
    return job;
}

int HarvestDownload::Run(DownloadJob job, InterruptWatch& interrupts, const Records& records,
                         const Choice& choice, ConsoleDownloadSink::Tally* tally) {
    std::atomic<int> failures{0};
    DownloadRequest request;
    request.folder = choice.folder;
    request.job = std::move(job);
    request.choices = choice;
    request.choices.record = false; // claimed in request.records already, as the archive is
    request.queued = false;         // the window offers its own interrupted downloads only
    for (const std::shared_ptr<DownloadArchive>& record : {records.archive, records.folder})
        if (record)
            request.records.push_back(record);
    using Output = ConsoleDownloadSink::Output;
    const Output output = choice.quiet  ? Output::Silent
                          : choice.json ? Output::Json
                                        : Output::Lines;
    request.reports = [&failures, output, tally](const DownloadJob& started) {
        return std::make_unique<ConsoleDownloadSink>(failures, started, output, tally);
    };
    const std::shared_ptr<DownloadHandle> handle = Downloads::Start(request);
    if (!handle) {
        std::fprintf(stderr, "%scannot start the download\n", ToolName::Prefix().constData());
        return 1;
    }
    const QObject whileRunning; // ends the connection below with this call
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &whileRunning,
                     [] { DownloadRegistry::Instance().RequestInterruptAll(); });
    QTimer progressTimer;
    QObject::connect(&progressTimer, &QTimer::timeout, [&handle] { ShowProgress(*handle); });
    const bool showProgress = choice.progress && ::isatty(STDERR_FILENO);
    if (showProgress)
        progressTimer.start(ProgressMilliseconds);
    QCoreApplication::exec();
    DownloadRegistry::Instance().CancelAllAndWait();
    // Claims of files the run never reached, stopped by an interruption.
    for (const std::shared_ptr<DownloadArchive>& record : request.records)
        record->ReleaseAll();
    if (showProgress) {
        ShowProgress(*handle);
        std::fputc('\n', stderr);
    }
    return failures > 0 ? 1 : 0;
}
