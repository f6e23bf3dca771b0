#include "watches/WatchCheckProcess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

WatchCheckProcess::WatchCheckProcess(QObject* parent) : QObject(parent) {
    connect(&process, &QProcess::readyReadStandardOutput, this, &WatchCheckProcess::ReadLines);
    connect(&process, &QProcess::finished, this, &WatchCheckProcess::Ended);
    connect(&process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError failure) {
        if (failure == QProcess::FailedToStart)
            Ended();
    });
}

WatchCheckProcess::~WatchCheckProcess() {
    // A check left running would go on writing into the folder unseen.
    disconnect(&process, nullptr, this, nullptr);
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(1000);
    }
}

QString WatchCheckProcess::ToolPath() {
    const QFileInfo beside(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/quillmar-harvest"));
    if (beside.isExecutable())
        return beside.filePath();
    return QStandardPaths::findExecutable(QStringLiteral("quillmar-harvest"));
}

bool WatchCheckProcess::IsRunning() const {
    return process.state() != QProcess::NotRunning;
}

bool WatchCheckProcess::Start(const QStringList& named, const QStringList& due) {
    if (IsRunning()) {
        error = QStringLiteral("a check is running");
        return false;
    }
    const QString tool = ToolPath();
    if (tool.isEmpty()) {
        error = QStringLiteral("quillmar-harvest is not installed beside Quillmar");
        return false;
    }
    addresses = named.isEmpty() ? due : named;
    next = 0;
    saved = 0;
    pending.clear();
    error.clear();
    cancelled = false;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(tool, QStringList{QStringLiteral("--check-watches")} + named);
    return true;
}

void WatchCheckProcess::Cancel() {
    if (!IsRunning())
        return;
    cancelled = true;
    process.terminate(); // the tool ends its transfers cleanly on SIGTERM
}

void WatchCheckProcess::ReadLines() {
    pending += process.readAllStandardOutput();
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        Take(QString::fromUtf8(pending.left(end)));
        pending.remove(0, end + 1);
    }
}

void WatchCheckProcess::Take(const QString& line) {
    static const QRegularExpression result(QStringLiteral("^(\\d+) new, saved into "));
    for (qsizetype index = 0; index < addresses.size(); ++index) {
        const QString& address = addresses.at(index);
        if (!line.startsWith(address + QStringLiteral(": ")))
            continue;
        const QString rest = line.mid(address.size() + 2);
        const QRegularExpressionMatch match = result.match(rest);
        if (match.hasMatch())
            emit checked(address, match.captured(1).toInt(), QString());
        else if (rest.startsWith(QStringLiteral("failed: ")))
            emit checked(address, 0, rest.mid(8));
        else if (rest.startsWith(QStringLiteral("another check")))
            emit checked(address, 0, rest);
        else
            return; // a word about the check, its result still to come
        next = index + 1;
        saved = 0;
        return;
    }
    // The tool checks the watches in this order, each one's files before its result.
    if (line.startsWith(QStringLiteral("saved ")) && next < addresses.size())
        emit progress(addresses.at(next), ++saved);
}

void WatchCheckProcess::Ended() {
    ReadLines();
    if (process.exitStatus() == QProcess::CrashExit && !cancelled)
        error = QStringLiteral("the check ended unexpectedly");
    if (process.error() == QProcess::FailedToStart)
        error = QStringLiteral("cannot start ") + process.program();
    emit finished(cancelled);
}
