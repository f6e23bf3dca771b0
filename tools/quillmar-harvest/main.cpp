// quillmar-harvest URL: loads a page without a window and prints what the
// browser would list for it.

#include "PageHarvester.h"
#include "view/EngineEnvironment.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

struct Options {
    QString address;
    int timeoutSeconds = 30;
};

const char* const usage = "usage: quillmar-harvest [--timeout SECONDS] URL\n";

std::optional<Options> parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Seconds to wait for the page."),
                                     QStringLiteral("SECONDS"), QStringLiteral("30"));
    parser.addOption(timeout);
    if (!parser.parse(arguments) || parser.positionalArguments().size() != 1)
        return std::nullopt;
    Options options;
    bool isNumber = false;
    options.timeoutSeconds = parser.value(timeout).toInt(&isNumber);
    options.address = parser.positionalArguments().first();
    if (!isNumber || options.timeoutSeconds <= 0 || options.address.trimmed().isEmpty())
        return std::nullopt;
    return options;
}

// A relative path names a local file, not a host.
QString addressFor(const QString& argument) {
    const QFileInfo file(argument);
    return file.exists() ? file.absoluteFilePath() : argument;
}

void printSection(const char* title, const QStringList& lines, const HarvestMap& map) {
    std::printf("%s %lld %lld\n", title, static_cast<long long>(lines.size()),
                static_cast<long long>(map.size()));
    for (const QString& line : lines)
        std::printf("%s\t%s\n", line.toUtf8().constData(), map.value(line).toUtf8().constData());
}

int report(const PageHarvester& harvester, const QString& address) {
    switch (harvester.Result()) {
    case PageHarvester::Outcome::Harvested:
        printSection("images", harvester.ImageLines(), harvester.ImageMap());
        printSection("links", harvester.LinkLines(), harvester.LinkMap());
        return 0;
    case PageHarvester::Outcome::TimedOut:
        std::fprintf(stderr, "quillmar-harvest: timed out loading %s\n", qPrintable(address));
        return 1;
    default:
        std::fprintf(stderr, "quillmar-harvest: cannot load %s\n", qPrintable(address));
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
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fputs(usage, stderr);
        return 2;
    }
    PageHarvester harvester;
    int exitCode = 1;
    QObject::connect(&harvester, &PageHarvester::finished, &application, [&] {
        exitCode = report(harvester, options->address);
        QCoreApplication::quit();
    });
    harvester.Start(addressFor(options->address), options->timeoutSeconds);
    application.exec();
    std::fflush(stdout);
    return exitCode;
}
