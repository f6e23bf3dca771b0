// quillmar-harvest URL: loads a page without a window and prints what the
// browser would list for it. With --download DIR it downloads those files
// into DIR instead, as the browser's download commands would.

#include "HarvestDownload.h"
#include "InterruptWatch.h"
#include "JsonReport.h"
#include "LoadFailureText.h"
#include "PageHarvester.h"
#include "app/ProgramVersion.h"
#include "core/Limits.h"
#include "download/DownloadWorker.h"
#include "download/EngineCookieJar.h"
#include "view/CBrowserEngine.h"
#include "view/EngineEnvironment.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>

#include <cstdio>
#include <optional>

namespace {

struct Options {
    QString address;
    int timeoutSeconds = Limits::DefaultPageTimeoutSeconds;
    std::optional<HarvestDownload::Choice> download;
    PageHarvester::Mode mode;
    bool json = false;
};

const char* const usage =
    "usage: quillmar-harvest [--timeout SECONDS] [SCAN] [--json] URL\n"
    "       quillmar-harvest [--timeout SECONDS] [SCAN] --download DIR [--images] [--links]\n"
    "                        [--match TEXT] [--parallel N] URL\n"
    "       quillmar-harvest --help | --version\n"
    "  SCAN is any of:\n"
    "  --deep          Deep Scan: srcset, lazy loaders, CSS backgrounds, shadow roots,\n"
    "                  frames of any origin, ...\n"
    "  --scroll        scroll to the page's end first, so pictures that load on the way do\n"
    "  --min-size WxH  with --deep: leave out images known to be smaller (0: no limit)\n"
    "  --json          print one JSON object with names, addresses, sizes and sources\n"
    "  --download DIR  download the listed files into the existing folder DIR, one line\n"
    "                  per file (saved NAME / failed NAME: reason), then a summary;\n"
    "                  exit status 1 when any file failed\n"
    "  --images        download listed images (without --images or --links: both)\n"
    "  --links         download listed image links\n"
    "  --match TEXT    only files whose name contains TEXT, ignoring case\n"
    "  --parallel N    fetch up to N files at once, 1 to 16 (default 4)\n";

// --help and --version answer at once, whatever else the command line holds.
std::optional<int> answerHelpOrVersion(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            std::printf("quillmar-harvest %s\n", qPrintable(ProgramVersion::Text()));
            return 0;
        }
    }
    return std::nullopt;
}

// Digits only, as written (no sign, space or exponent); -1 for anything else.
int plainNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch() ? text.toInt() : -1;
}

// The download part of the options; an error text when they do not fit together.
std::optional<HarvestDownload::Choice> parseDownload(const QCommandLineParser& parser,
                                                     QString& error) {
    const bool images = parser.isSet(QStringLiteral("images"));
    const bool links = parser.isSet(QStringLiteral("links"));
    if (!parser.isSet(QStringLiteral("download"))) {
        if (images || links || parser.isSet(QStringLiteral("match")))
            error = QStringLiteral("--images, --links and --match need --download");
        if (parser.isSet(QStringLiteral("parallel")))
            error = QStringLiteral("--parallel needs --download");
        return std::nullopt;
    }
    const QFileInfo folder(parser.value(QStringLiteral("download")));
    if (!folder.isDir()) {
        error = QStringLiteral("no such folder: ") + folder.filePath();
        return std::nullopt;
    }
    HarvestDownload::Choice choice;
    choice.folder = folder.absoluteFilePath();
    choice.images = images || !links;
    choice.links = links || !images;
    choice.match = parser.value(QStringLiteral("match"));
    if (parser.isSet(QStringLiteral("parallel")))
        choice.parallel = plainNumber(parser.value(QStringLiteral("parallel")));
    if (choice.parallel < Limits::MinParallelDownloads ||
        choice.parallel > Limits::MaxParallelDownloads) {
        error = QStringLiteral("--parallel takes a number from 1 to 16");
        return std::nullopt;
    }
    return choice;
}

// --deep, --scroll, --min-size and --json; an error text when they do not fit.
void parseScan(const QCommandLineParser& parser, Options& options, QString& error) {
    options.mode.deep = parser.isSet(QStringLiteral("deep"));
    options.mode.scroll = parser.isSet(QStringLiteral("scroll"));
    options.json = parser.isSet(QStringLiteral("json"));
    if (options.json && parser.isSet(QStringLiteral("download")))
        error = QStringLiteral("--json does not go with --download");
    if (!parser.isSet(QStringLiteral("min-size")))
        return;
    if (!options.mode.deep)
        error = QStringLiteral("--min-size needs --deep");
    static const QRegularExpression size(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
    const QRegularExpressionMatch match = size.match(parser.value(QStringLiteral("min-size")));
    if (!match.hasMatch())
        error = QStringLiteral("--min-size takes WIDTHxHEIGHT, for instance 200x150");
    options.mode.minimumSize = QSize(match.captured(1).toInt(), match.captured(2).toInt());
}

std::optional<Options> parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Seconds to wait for the page."),
                                     QStringLiteral("SECONDS"), QStringLiteral("30"));
    parser.addOption(timeout);
    parser.addOption({QStringLiteral("download"), QString(), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("images"), QString()});
    parser.addOption({QStringLiteral("links"), QString()});
    parser.addOption({QStringLiteral("match"), QString(), QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("parallel"), QString(), QStringLiteral("N")});
    parser.addOption({QStringLiteral("deep"), QString()});
    parser.addOption({QStringLiteral("scroll"), QString()});
    parser.addOption({QStringLiteral("min-size"), QString(), QStringLiteral("WxH")});
    parser.addOption({QStringLiteral("json"), QString()});
    Options options;
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    if (error.isEmpty())
        options.download = parseDownload(parser, error);
    if (error.isEmpty())
        parseScan(parser, options, error);
    options.timeoutSeconds = plainNumber(parser.value(timeout));
    if (error.isEmpty() &&
        (options.timeoutSeconds < 1 || options.timeoutSeconds > Limits::MaxPageTimeoutSeconds))
        error = QStringLiteral("--timeout takes a number of seconds from 1 to %1")
                    .arg(Limits::MaxPageTimeoutSeconds);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "quillmar-harvest: %s\n", qPrintable(error));
        return std::nullopt;
    }
    if (parser.positionalArguments().size() != 1 ||
        parser.positionalArguments().first().trimmed().isEmpty())
        return std::nullopt;
    options.address = parser.positionalArguments().first();
    return options;
}

// A relative path names a local file, not a host.
QString addressFor(const QString& argument) {
    const QFileInfo file(argument);
    return file.exists() ? file.absoluteFilePath() : argument;
}

// "title <lines> <distinct addresses>", then each line with its own address.
void printSection(const char* title, const HarvestLines& lines, const HarvestMap& map) {
    std::printf("%s %lld %d\n", title, static_cast<long long>(lines.size()),
                PageScan::AddressCount(map));
    for (const HarvestLine& line : lines)
        std::printf("%s\t%s\n", line.name.toUtf8().constData(), line.address.toUtf8().constData());
}

int report(const PageHarvester& harvester, const Options& options, const QString& failure) {
    const QString& address = options.address;
    switch (harvester.Result()) {
    case PageHarvester::Outcome::Harvested:
        if (options.json) {
            std::fputs(JsonReport::Write(harvester, harvester.Engine().Location()).constData(),
                       stdout);
            return 0;
        }
        printSection("images", harvester.ImageLines(), harvester.ImageMap());
        printSection("links", harvester.LinkLines(), harvester.LinkMap());
        return 0;
    case PageHarvester::Outcome::TimedOut:
        std::fprintf(stderr, "quillmar-harvest: timed out loading %s\n", qPrintable(address));
        return 1;
    default:
        std::fprintf(
            stderr, "quillmar-harvest: cannot load %s: %s\n", qPrintable(address),
            qPrintable(failure.isEmpty() ? QStringLiteral("not a valid address") : failure));
        return 1;
    }
}

// The tool speaks only through its own output; the engine's chatter would hide it.
void dropEngineChatter(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(dropEngineChatter);
    if (!EngineEnvironment::hasDisplay())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    if (const std::optional<int> answered = answerHelpOrVersion(QCoreApplication::arguments()))
        return *answered;
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fputs(usage, stderr);
        return 2;
    }
    PageHarvester harvester;
    QString loadFailure; // why the last load of the page failed
    QObject::connect(harvester.Engine().Page(), &QWebEnginePage::loadingChanged, &application,
                     [&](const QWebEngineLoadingInfo& info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
                             loadFailure = LoadFailureText::Describe(info);
                     });
    int exitCode = 1;
    const auto harvested = [&] { return harvester.Result() == PageHarvester::Outcome::Harvested; };
    QObject::connect(&harvester, &PageHarvester::finished, &application, &QCoreApplication::quit);
    // Followed from the first request on, so downloads carry the page's cookies.
    if (options->download)
        EngineCookieJar::ForProfile(harvester.Engine().Page()->profile());
    InterruptWatch interrupts;
    QObject::connect(&interrupts, &InterruptWatch::interrupted, &application,
                     &QCoreApplication::quit);
    harvester.Start(addressFor(options->address), options->timeoutSeconds, options->mode);
    application.exec();
    // Reported once the loop is left: the engine tells why a load failed after it ended.
    const bool ended = harvester.Result() != PageHarvester::Outcome::Pending;
    if (ended && (!options->download || !harvested()))
        exitCode = report(harvester, *options, loadFailure);
    if (options->download && harvested() && !interrupts.ExitCode()) {
        DownloadJob job = HarvestDownload::BuildJob(harvester, *options->download);
        const QString& match = options->download->match;
        if (job.Count == 0 && !match.isEmpty())
            std::fprintf(stderr, "quillmar-harvest: nothing matched %s\n", qPrintable(match));
        exitCode = HarvestDownload::Run(std::move(job), interrupts);
    }
    std::fflush(stdout);
    if (interrupts.ExitCode()) {
        std::fputs("quillmar-harvest: interrupted\n", stderr);
        return interrupts.ExitCode();
    }
    return exitCode;
}
