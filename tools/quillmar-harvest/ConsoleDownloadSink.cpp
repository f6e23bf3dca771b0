#include "ConsoleDownloadSink.h"

#include "core/TerminalText.h"
#include "fetch/DownloadFolders.h"
#include "fetch/OriginMarks.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

ConsoleDownloadSink::ConsoleDownloadSink(std::atomic<int>& failures, const DownloadJob* json)
    : failures(failures), jsonEntries(json ? json->Entries : QList<DownloadEntry>()), json(json) {}

// The worker's last report.
void ConsoleDownloadSink::AnimationStopped() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void ConsoleDownloadSink::Message(const QString& text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void ConsoleDownloadSink::FileFinished(int index, const QString& name, bool saved,
                                       const QString& reason) {
    if (!saved)
        ++failures;
    if (json)
        PrintJson(index, name, saved, reason);
    else if (saved)
        // "saved NAME", or "already saved NAME" for a file that was there.
        std::printf("%s %s\n", reason.isEmpty() ? "saved" : reason.toUtf8().constData(),
                    TerminalText::Printable(name).toUtf8().constData());
    else
        std::printf("failed %s: %s\n", TerminalText::Printable(name).toUtf8().constData(),
                    TerminalText::Printable(reason).toUtf8().constData());
    std::fflush(stdout);
}

void ConsoleDownloadSink::PrintJson(int index, const QString& name, bool saved,
                                    const QString& reason) const {
    const DownloadEntry entry = jsonEntries.value(index);
    QJsonObject file{{QStringLiteral("outcome"), !saved             ? QStringLiteral("failed")
                                                 : reason.isEmpty() ? QStringLiteral("saved")
                                                                    : reason},
                     {QStringLiteral("name"), name},
                     // A login is the user's secret, kept off the report as off the file.
                     {QStringLiteral("address"), OriginMarks::WithoutLogin(entry.Source)}};
    if (saved)
        file.insert(QStringLiteral("path"),
                    DownloadFolders::FolderOf(entry) + QLatin1Char('/') + name);
    else
        file.insert(QStringLiteral("reason"), reason);
    std::printf("%s\n", QJsonDocument(file).toJson(QJsonDocument::Compact).constData());
}
