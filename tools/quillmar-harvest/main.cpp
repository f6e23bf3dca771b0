// quillmar-harvest URL: loads a page without a window and prints what the
// browser would list for it. With --download DIR it downloads those files
// into DIR instead, as the browser's download commands would.

#include "ArchiveMerge.h"
#include "BatchHarvest.h"
#include "HarvestDownload.h"
#include "SimilarPictures.h"
#include "ToolLogins.h"
#include "ToolName.h"
#include "ToolOptions.h"
#include "WatchCommands.h"
#include "app/InterruptWatch.h"
#include "app/ProgramVersion.h"
#include "core/Limits.h"
#include "engine/BrowserProfile.h"
#include "engine/EngineEnvironment.h"
#include "fetch/DownloadWorker.h"
#include "records/DownloadArchive.h"
#include "transfer/HostSchedule.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <cstdio>
#include <optional>

namespace {

struct Options {
    QStringList addresses;
    std::optional<HarvestDownload::Choice> download;
    BatchHarvest::Choice harvest;
    QPair<int, int> shard{1, 1};
    int badInputLines = 0; // lines of --input too long to be an address
    ToolLogins::Choice logins;
    double waitSeconds = 0; // between two requests to one host
    bool randomWait = false;
    WatchCommands::Choice watch;
};

// --help and --version answer at once, whatever else the command line holds.
std::optional<int> answerHelpOrVersion(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(qPrintable(ToolOptions::Usage()), stdout);
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            std::printf("quillmar-harvest %s\n", qPrintable(ProgramVersion::Text()));
            return 0;
        }
    }
    return std::nullopt;
}

// A whole number from minimum to maximum written in digits only (no sign,
// space or exponent), or nothing.
std::optional<int> numberIn(const QString& text, int minimum, int maximum) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    const int value = digits.match(text).hasMatch() ? text.toInt() : -1;
    return value >= minimum && value <= maximum ? std::optional<int>(value) : std::nullopt;
}

// The regular expression of option, checked; an error text when it is none.
QRegularExpression addressPattern(const QCommandLineParser& parser, const char* option,
                                  QString& error) {
    const QString name = QString::fromLatin1(option);
    if (!parser.isSet(name))
        return QRegularExpression();
    QRegularExpression pattern(parser.value(name));
    if (!pattern.isValid() || pattern.pattern().isEmpty())
        error = QStringLiteral("--%1: %2")
                    .arg(name, pattern.pattern().isEmpty() ? QStringLiteral("an empty expression")
                                                           : pattern.errorString());
    return pattern;
}

// --reject, --accept-regex, --reject-regex, --min-bytes and --max-bytes; false with error set.
bool parseFilters(const QCommandLineParser& parser, HarvestDownload::Choice& choice,
                  QString& error) {
    choice.reject = parser.values(QStringLiteral("reject"));
    choice.reject.removeAll(QString());
    choice.acceptAddresses = addressPattern(parser, "accept-regex", error);
    choice.rejectAddresses = addressPattern(parser, "reject-regex", error);
    for (const auto& [option, bound] :
         {std::pair<const char*, qint64*>{"min-bytes", &choice.minBytes},
          std::pair<const char*, qint64*>{"max-bytes", &choice.maxBytes}}) {
        const QString name = QString::fromLatin1(option);
        if (!parser.isSet(name))
            continue;
        const std::optional<qint64> size = HarvestDownload::SizeIn(parser.value(name));
        if (!size)
            error = QStringLiteral("--%1 takes a number of bytes, for instance 20000, 500K or 2M")
                        .arg(name);
        *bound = size.value_or(0);
    }
    if (error.isEmpty() && choice.maxBytes > 0 && choice.minBytes > choice.maxBytes)
        error = QStringLiteral("--min-bytes is larger than --max-bytes");
    return error.isEmpty();
}

// The download part of the options; an error text when they do not fit together.
std::optional<HarvestDownload::Choice> parseDownload(const QCommandLineParser& parser,
                                                     QString& error) {
    const bool images = parser.isSet(QStringLiteral("images"));
    const bool links = parser.isSet(QStringLiteral("links"));
    if (!parser.isSet(QStringLiteral("download")))
        return std::nullopt;
    // A missing folder is made once the pages are harvested.
    const QFileInfo folder(parser.value(QStringLiteral("download")));
    if (folder.exists() && !folder.isDir()) {
        error = QStringLiteral("no such folder: ") + folder.filePath();
        return std::nullopt;
    }
    HarvestDownload::Choice choice;
    choice.folder = folder.absoluteFilePath();
    choice.images = images || !links;
    choice.links = links || !images;
    choice.match = parser.value(QStringLiteral("match"));
    if (!parseFilters(parser, choice, error))
        return std::nullopt;
    choice.archive = parser.value(QStringLiteral("archive"));
    choice.record = !parser.isSet(QStringLiteral("no-record"));
    if (parser.isSet(QStringLiteral("parallel")))
        choice.parallel = numberIn(parser.value(QStringLiteral("parallel")),
                                   Limits::MinParallelDownloads, Limits::MaxParallelDownloads)
                              .value_or(0);
    if (choice.parallel == 0) {
        error = QStringLiteral("--parallel takes a number from 1 to 16");
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("per-site")))
        choice.perSite = numberIn(parser.value(QStringLiteral("per-site")),
                                  Limits::MinParallelDownloads, Limits::MaxParallelDownloads)
                             .value_or(0);
    if (choice.perSite == 0) {
        error = QStringLiteral("--per-site takes a number from 1 to 16");
        return std::nullopt;
    }
    choice.continuePartial = !parser.isSet(QStringLiteral("no-continue"));
    choice.progress = !parser.isSet(QStringLiteral("quiet"));
    choice.json = parser.isSet(QStringLiteral("json"));
    choice.markOrigin = !parser.isSet(QStringLiteral("no-origin"));
    choice.writeInfo = parser.isSet(QStringLiteral("write-info"));
    if (parser.isSet(QStringLiteral("name"))) {
        choice.names = parser.value(QStringLiteral("name"));
        const QString refusal = NameTemplate::Refusal(choice.names);
        if (!refusal.isEmpty()) {
            error = QStringLiteral("--name: ") + refusal;
            return std::nullopt;
        }
    }
    if (parser.isSet(QStringLiteral("limit-rate"))) {
        const std::optional<qint64> rate =
            HarvestDownload::RateIn(parser.value(QStringLiteral("limit-rate")));
        if (!rate) {
            error = QStringLiteral("--limit-rate takes bytes a second, for instance 500K or 2M");
            return std::nullopt;
        }
        choice.maxBytesPerSecond = *rate;
    }
    return choice;
}

// --deep, --scroll, --min-size and --json; an error text when they do not fit.
void parseScan(const QCommandLineParser& parser, Options& options, QString& error) {
    BatchHarvest::Choice& harvest = options.harvest;
    harvest.mode.deep = parser.isSet(QStringLiteral("deep"));
    harvest.mode.scroll = parser.isSet(QStringLiteral("scroll"));
    harvest.json = parser.isSet(QStringLiteral("json"));
    harvest.similar = parser.isSet(QStringLiteral("similar"));
    if (!parser.isSet(QStringLiteral("min-size")))
        return;
    static const QRegularExpression size(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
    const QRegularExpressionMatch match = size.match(parser.value(QStringLiteral("min-size")));
    if (!match.hasMatch())
        error = QStringLiteral("--min-size takes WIDTHxHEIGHT, for instance 200x150");
    harvest.mode.minimumSize = QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

// --follow and its companions, and --pages; both scan with Deep Scan.
void parseFollow(const QCommandLineParser& parser, Options& options, QString& error) {
    BatchHarvest::Choice& harvest = options.harvest;
    FollowOptions& follow = harvest.follow;
    harvest.followThumbnails = parser.isSet(QStringLiteral("follow"));
    harvest.progress = !parser.isSet(QStringLiteral("quiet"));
    follow.otherSites = parser.isSet(QStringLiteral("follow-other-sites"));
    follow.match = parser.value(QStringLiteral("follow-match"));
    const QString take =
        parser.isSet(QStringLiteral("take")) ? parser.value(QStringLiteral("take")) : "main";
    if (take != QLatin1String("main") && take != QLatin1String("all"))
        error = QStringLiteral("--take is main or all");
    follow.takeAll = take == QLatin1String("all");
    if (parser.isSet(QStringLiteral("pages"))) {
        const std::optional<int> pages = numberIn(parser.value(QStringLiteral("pages")), 0, 1000);
        if (!pages)
            error = QStringLiteral("--pages takes a number from 0 to 1000");
        follow.nextPages = pages.value_or(0);
        harvest.walkNextPages = follow.nextPages > 0;
    }
    const std::optional<int> limit =
        parser.isSet(QStringLiteral("follow-limit"))
            ? numberIn(parser.value(QStringLiteral("follow-limit")), 0, 1000000)
            : 500;
    if (!limit)
        error = QStringLiteral("--follow-limit takes a number from 0 to 1000000");
    follow.pageLimit = limit.value_or(0);
    follow.minimumSize = harvest.mode.minimumSize;
    harvest.mode.deep = harvest.mode.deep || harvest.followThumbnails || harvest.walkNextPages;
}

// A line of an address list longer than the longest address is no address,
// and is never held whole.
constexpr qint64 maxAddressBytes = Limits::MaxAddressBytes;

// Reads past the rest of a line that is too long.
void skipLine(QIODevice& input) {
    for (QByteArray part = input.readLine(64 * 1024); !part.isEmpty() && !part.endsWith('\n');
         part = input.readLine(64 * 1024)) {
    }
}

// The addresses of a list: one a line, blank lines and "#" comments skipped. A
// line too long is told and left out; badLines counts them.
std::optional<QStringList> readAddresses(const QString& path, int& badLines, QString& error) {
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error = QStringLiteral("cannot read ") + path;
        return std::nullopt;
    }
    QStringList addresses;
    qint64 number = 0;
    for (QByteArray line = file.readLine(maxAddressBytes + 2); !line.isEmpty();
         line = file.readLine(maxAddressBytes + 2)) {
        ++number;
        const bool whole = line.endsWith('\n');
        if (line.size() - (whole ? 1 : 0) > maxAddressBytes) {
            ++badLines;
            std::fprintf(stderr, "%s%s: line %lld is longer than %lld bytes\n",
                         ToolName::Prefix().constData(), qPrintable(path),
                         static_cast<long long>(number), static_cast<long long>(maxAddressBytes));
            if (!whole)
                skipLine(file);
            continue;
        }
        const QString address = QString::fromUtf8(line).trimmed();
        if (!address.isEmpty() && !address.startsWith(QLatin1Char('#')))
            addresses << address;
    }
    return addresses;
}

// --shard K/N, which takes part K of the --input list in N parts.
void parseShard(const QCommandLineParser& parser, Options& options, QString& error) {
    if (!parser.isSet(QStringLiteral("shard")))
        return;
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})/([0-9]{1,9})$"));
    const QRegularExpressionMatch match = form.match(parser.value(QStringLiteral("shard")));
    options.shard = {match.captured(1).toInt(), match.captured(2).toInt()};
    if (!match.hasMatch() || options.shard.first < 1 || options.shard.first > options.shard.second)
        error =
            QStringLiteral("--shard takes K/N, part K of N parts, 1 <= K <= N (for instance 2/3)");
    else
        ToolName::SetShard(parser.value(QStringLiteral("shard")));
}

// The addresses at positions p (from 1) with (p - 1) mod N = K - 1: N runs,
// wherever each runs, cover the list exactly once between them.
QStringList shardOf(const QStringList& addresses, const QPair<int, int>& shard) {
    QStringList taken;
    for (qsizetype index = shard.first - 1; index < addresses.size(); index += shard.second)
        taken << addresses.at(index);
    return taken;
}

// --wait and --random-wait.
void parseWait(const QCommandLineParser& parser, Options& options, QString& error) {
    options.randomWait = parser.isSet(QStringLiteral("random-wait"));
    if (!parser.isSet(QStringLiteral("wait")))
        return;
    static const QRegularExpression seconds(QStringLiteral("^[0-9]{1,4}(\\.[0-9]{1,3})?$"));
    const QString value = parser.value(QStringLiteral("wait"));
    options.waitSeconds = value.toDouble();
    if (!seconds.match(value).hasMatch() || options.waitSeconds > Limits::MaxRequestWaitSeconds)
        error = QStringLiteral("--wait takes seconds from 0 to %1, for instance 1 or 0.5")
                    .arg(Limits::MaxRequestWaitSeconds);
}

std::optional<Options> parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    ToolOptions::AddTo(parser);
    Options options;
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    if (error.isEmpty())
        error = ToolOptions::Conflict(parser);
    const bool batch = parser.isSet(QStringLiteral("input"));
    if (error.isEmpty())
        options.download = parseDownload(parser, error);
    if (error.isEmpty())
        parseScan(parser, options, error);
    if (error.isEmpty())
        parseFollow(parser, options, error);
    if (error.isEmpty())
        parseShard(parser, options, error);
    if (error.isEmpty())
        parseWait(parser, options, error);
    options.logins.windowProfile = parser.isSet(QStringLiteral("window-profile"));
    options.logins.cookieFile = parser.value(QStringLiteral("cookies"));
    if (error.isEmpty())
        options.watch = WatchCommands::Parse(parser, error);
    if (error.isEmpty() && batch) {
        options.addresses = shardOf(
            readAddresses(parser.value(QStringLiteral("input")), options.badInputLines, error)
                .value_or(QStringList()),
            options.shard);
        options.harvest.pageLines = true;
    }
    const std::optional<int> timeout =
        parser.isSet(QStringLiteral("timeout"))
            ? numberIn(parser.value(QStringLiteral("timeout")), 1, Limits::MaxPageTimeoutSeconds)
            : Limits::DefaultPageTimeoutSeconds;
    if (error.isEmpty() && !timeout)
        error = QStringLiteral("--timeout takes a number of seconds from 1 to %1")
                    .arg(Limits::MaxPageTimeoutSeconds);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(error));
        return std::nullopt;
    }
    options.harvest.timeoutSeconds = *timeout;
    options.harvest.print = !options.download;
    options.harvest.shard = ToolName::Shard();
    if (options.watch.action != WatchCommands::Action::None)
        return options;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != (batch ? 0 : 1) || (!batch && positional.first().trimmed().isEmpty()))
        return std::nullopt;
    if (!batch)
        options.addresses << positional.first();
    return options;
}

// The tool speaks only through its own output; the engine's chatter would hide it.
// A page's console errors come escaped (ScanPage) and marked as the page's, so
// none passes for a line of the tool.
void dropEngineChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const bool fromPage = context.category && qstrcmp(context.category, "js") == 0;
    std::fprintf(stderr, "%s%s\n", fromPage ? "page console: " : "", qPrintable(message));
}

// The --archive record, opened (converting its text form, once, with a word
// about it); nothing when it cannot be read and written.
std::optional<std::shared_ptr<DownloadArchive>> openArchive(const QString& path) {
    auto archive = std::make_shared<DownloadArchive>(path);
    archive->Hold();
    QString error;
    if (!archive->Load(error)) {
        archive->LetGo();
        std::fprintf(stderr, "%scannot use the archive %s: %s\n", ToolName::Prefix().constData(),
                     qPrintable(path), qPrintable(error));
        return std::nullopt;
    }
    if (!archive->KeptTextForm().isEmpty())
        std::fprintf(
            stderr, "%sconverted the archive %s to a database; the text form is kept as %s\n",
            ToolName::Prefix().constData(), qPrintable(path), qPrintable(archive->KeptTextForm()));
    return archive;
}

void tellSetAside(const DownloadArchive& record, const QString& folder) {
    if (!record.SetAsideAs().isEmpty())
        std::fprintf(stderr,
                     "%sthe record of saved pictures for %s was damaged (%s); it is set aside "
                     "as %s, and a new one kept\n",
                     ToolName::Prefix().constData(), qPrintable(folder),
                     qPrintable(record.SetAsideWhy()), qPrintable(record.SetAsideAs()));
}

// Says once that the folder's record is given up (the run goes on without
// it); told: whether that was said.
void tellFolderRecordLost(const DownloadArchive* record, const QString& folder, bool& told) {
    if (!record || told || record->Lost().isEmpty())
        return;
    told = true;
    std::fprintf(stderr,
                 "%scannot write the record of saved pictures for %s (%s); going on without it\n",
                 ToolName::Prefix().constData(), qPrintable(folder), qPrintable(record->Lost()));
}

// Says that the --archive record is given up, which fails the run; true when it is.
bool tellArchiveLost(const DownloadArchive* archive) {
    if (!archive || archive->Lost().isEmpty())
        return false;
    std::fprintf(stderr, "%scannot write the archive %s: %s\n", ToolName::Prefix().constData(),
                 qPrintable(archive->Path()), qPrintable(archive->Lost()));
    return true;
}

// --similar: for each picture a better look-alike replaces, the better one's
// address. Looks at the lines a download takes, or at all of them.
QHash<QString, QString> findSimilar(const BatchHarvest& batch, const Options& options,
                                    InterruptWatch& interrupts) {
    return SimilarPictures::Among(
        HarvestDownload::ChosenLines(batch.Harvests(),
                                     options.download.value_or(HarvestDownload::Choice())),
        interrupts);
}

// Downloads what the run listed, leaving out what the records say was saved
// and what a better look-alike replaces.
int download(const BatchHarvest& batch, const HarvestDownload::Choice& choice,
             const QHash<QString, QString>& keptFor, InterruptWatch& interrupts) {
    if (!QDir().mkpath(choice.folder)) {
        std::fprintf(stderr, "%scannot make the folder %s\n", ToolName::Prefix().constData(),
                     qPrintable(choice.folder));
        return 1;
    }
    HarvestDownload::Records records;
    if (!choice.archive.isEmpty()) {
        const auto archive = openArchive(choice.archive);
        if (!archive)
            return 1;
        records.archive = *archive;
    }
    if (choice.record)
        records.folder =
            DownloadArchive::ForFolder(choice.folder, DownloadArchive::Held::ByThisThread);
    if (records.folder)
        tellSetAside(*records.folder, choice.folder);
    const auto letGo = qScopeGuard([&records] {
        for (const std::shared_ptr<DownloadArchive>& record : {records.archive, records.folder})
            if (record)
                record->LetGo();
    });
    QStringList notFetched;
    DownloadJob job =
        HarvestDownload::BuildJob(batch.Harvests(), choice, records, keptFor, notFetched);
    // An --archive record the run cannot write fails it before any download.
    if (tellArchiveLost(records.archive.get()))
        return 1;
    bool told = false;
    tellFolderRecordLost(records.folder.get(), choice.folder, told);
    for (const QString& line : notFetched)
        std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
    if (job.Count() == 0 && notFetched.isEmpty() && !choice.match.isEmpty())
        std::fprintf(stderr, "%snothing matched %s\n", ToolName::Prefix().constData(),
                     qPrintable(choice.match));
    const int exitCode = HarvestDownload::Run(std::move(job), interrupts, records, choice);
    tellFolderRecordLost(records.folder.get(), choice.folder, told);
    return tellArchiveLost(records.archive.get()) ? 1 : exitCode;
}

// Sets the run's logins up, telling each line of the cookie file left out;
// how many those are, or nothing when the logins cannot be had at all.
std::optional<int> useLogins(QObject& owner, const ToolLogins::Choice& choice) {
    QString error;
    QStringList lineErrors;
    if (!ToolLogins::Use(&owner, choice, error, lineErrors)) {
        std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(error));
        return std::nullopt;
    }
    for (const QString& line : lineErrors)
        std::fprintf(stderr, "%s%s\n", ToolName::Prefix().constData(), qPrintable(line));
    return int(lineErrors.size());
}

int runWatchCommand(const Options& options) {
    InterruptWatch interrupts;
    const int exitCode =
        WatchCommands::Run(options.watch, options.harvest,
                           options.download.value_or(HarvestDownload::Choice()), interrupts);
    if (interrupts.ExitCode()) {
        std::fprintf(stderr, "%sinterrupted\n", ToolName::Prefix().constData());
        return interrupts.ExitCode();
    }
    return exitCode;
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(dropEngineChatter);
    if (!EngineEnvironment::hasDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    // The pages are shown off screen; closing one is no reason to end.
    QApplication::setQuitOnLastWindowClosed(false);
    if (const std::optional<int> answered = answerHelpOrVersion(QCoreApplication::arguments()))
        return *answered;
    if (QCoreApplication::arguments().value(1) == QLatin1String("--merge-archive")) {
        const std::optional<int> merged = ArchiveMerge::Run(QCoreApplication::arguments().mid(2));
        if (!merged)
            std::fputs(qPrintable(ToolOptions::Usage()), stderr);
        return merged.value_or(2);
    }
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fputs(qPrintable(ToolOptions::Usage()), stderr);
        return 2;
    }
    const bool watching = options->watch.action != WatchCommands::Action::None;
    ToolLogins::Choice logins = options->logins;
    // Checks of the watches made with the window's logins use them, once the
    // window has been used (WatchCommands tells which).
    const bool checking = options->watch.action == WatchCommands::Action::Watch ||
                          options->watch.action == WatchCommands::Action::Check;
    if (checking && QFileInfo(BrowserProfile::WindowFolder()).isDir())
        logins.windowProfile = true;
    QObject loginsOwner; // goes after the pages that use its profile
    const std::optional<int> cookieLinesLeftOut = useLogins(loginsOwner, logins);
    if (!cookieLinesLeftOut)
        return 1;
    HostSchedule::Shared().SetWait(options->waitSeconds, options->randomWait);
    if (watching)
        return runWatchCommand(*options);
    BatchHarvest batch(options->harvest);
    QObject::connect(&batch, &BatchHarvest::finished, &application, &QCoreApplication::quit);
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &application,
                     &QCoreApplication::quit);
    batch.Start(options->addresses);
    application.exec();
    int exitCode =
        batch.AnyFailed() || options->badInputLines > 0 || *cookieLinesLeftOut > 0 ? 1 : 0;
    QHash<QString, QString> keptFor;
    if (options->harvest.similar && !interrupts.ExitCode()) {
        keptFor = findSimilar(batch, *options, interrupts);
        if (!options->download && !interrupts.ExitCode())
            batch.PrintAll(keptFor);
    }
    if (options->download && !batch.Harvests().empty() && !interrupts.ExitCode())
        exitCode = std::max(exitCode, download(batch, *options->download, keptFor, interrupts));
    std::fflush(stdout);
    if (interrupts.ExitCode()) {
        std::fprintf(stderr, "%sinterrupted\n", ToolName::Prefix().constData());
        return interrupts.ExitCode();
    }
    return exitCode;
}
