#pragma once

#include <QString>
#include <QStringList>

// The browser's command line: quillmar [--help] [--version] [URL...].
class CommandLine {
public:
    enum class Action { Run, Help, Version, Error };

    static CommandLine Parse(const QStringList& arguments);

    // Prints the help, the version or the error with the usage; the exit status.
    int Answer() const;

    Action action = Action::Run;
    // One address per browser window to open; a local file as its absolute path.
    QStringList addresses;
    QString error;
};
