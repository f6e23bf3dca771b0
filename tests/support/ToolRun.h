#pragma once

#include "support/TestMain.h"

#include <QDir>
#include <QProcess>

namespace testsupport {

struct ToolRun {
    int exitCode = -1; // -1: crashed or did not end in time
    QString output;
    QString errors;
};

// Runs quillmar-harvest from the data folder, without a display.
inline ToolRun runHarvestTool(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.setWorkingDirectory(testDataPath());
    tool.start(QStringLiteral(QUILLMAR_BINARY_DIR "/quillmar-harvest"), arguments);
    const bool ended = tool.waitForFinished(90000) && tool.exitStatus() == QProcess::NormalExit;
    return {ended ? tool.exitCode() : -1, QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

// Every file in folder, hidden ones included, sorted by name.
inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace testsupport
