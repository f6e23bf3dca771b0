#include "app/CommandLine.h"

#include "app/ProgramVersion.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

const char* const Usage = "usage: quillmar [URL...]\n"
                          "A web browser for harvesting pictures: opens each URL in a browser\n"
                          "window of its own; without one, a window shows the about page.\n"
                          "  -h, --help     show this help and exit\n"
                          "  -v, --version  show the version and exit\n";

// A relative path names a local file, not a host.
QString addressFor(const QString& argument) {
    const QFileInfo file(argument);
    return !argument.isEmpty() && file.exists() ? file.absoluteFilePath() : argument;
}

} // namespace

CommandLine CommandLine::Parse(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
    parser.addOption(help);
    parser.addOption(version);
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.action = Action::Error;
        line.error = parser.errorText();
    } else if (parser.isSet(help)) {
        line.action = Action::Help;
    } else if (parser.isSet(version)) {
        line.action = Action::Version;
    }
    for (const QString& argument : parser.positionalArguments())
        line.addresses.append(addressFor(argument));
    return line;
}

int CommandLine::Answer() const {
    switch (action) {
    case Action::Help:
        std::fputs(Usage, stdout);
        return 0;
    case Action::Version:
        std::printf("quillmar %s\n", qPrintable(ProgramVersion::Text()));
        return 0;
    case Action::Error:
        std::fprintf(stderr, "quillmar: %s\n%s", qPrintable(error), Usage);
        return 2;
    default:
        return 0;
    }
}
