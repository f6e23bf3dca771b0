#include "ConsoleDownloadSink.h"

#include "core/TerminalText.h"
#include "fetch/DownloadCounts.h"
#include "fetch/DownloadFolders.h"
#include "fetch/OriginMarks.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

ConsoleDownloadSink::ConsoleDownloadSink(std::atomic<int>& failures, const DownloadJob& job,
                                         Output output, Tally* tally)
    : failures(failures), entries(job.Entries), output(output), tally(tally) {}

QString ConsoleDownloadSink::LeftOutLine(const QString& name, const QString& why) {
    return QStringLiteral("left out %1: %2").arg(name, why);
}

// The worker's last report.
void ConsoleDownloadSink::AnimationStopped() {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
}

void ConsoleDownloadSink::Message(const QString& text) {
    if (output == Output::Silent)
        return;
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void ConsoleDownloadSink::FileFinished(int index, const QString& name, bool saved,
                                       const QString& reason) {
    const bool leftOut = DownloadCounts::KindOf(saved, reason) == DownloadCounts::Kind::LeftOut;
    if (!saved && !leftOut)
        ++failures;
    const DownloadCounts::Kind kind = DownloadCounts::KindOf(saved, reason);
    if (tally && kind != DownloadCounts::Kind::AlreadySaved)
        (kind == DownloadCounts::Kind::Saved ? tally->fetched : tally->failed)
            << entries.value(index).Source;
    if (output == Output::Silent)
        return;
    if (output == Output::Json)
        PrintJson(index, name, saved, reason);
    else if (leftOut)
        std::printf("%s\n", LeftOutLine(name, reason.mid(DownloadCounts::LeftOutMark().size()))
                                .toUtf8()
                                .constData());
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
    const DownloadEntry entry = entries.value(index);
    const bool leftOut = DownloadCounts::KindOf(saved, reason) == DownloadCounts::Kind::LeftOut;
    QJsonObject file{{QStringLiteral("outcome"), leftOut            ? QStringLiteral("left out")
                                                 : !saved           ? QStringLiteral("failed")
                                                 : reason.isEmpty() ? QStringLiteral("saved")
                                                                    : reason},
                     {QStringLiteral("name"), name},
                     // A login is the user's secret, kept off the report as off the file.
                     {QStringLiteral("address"), OriginMarks::WithoutLogin(entry.Source)}};
    if (saved)
        file.insert(QStringLiteral("path"),
                    DownloadFolders::FolderOf(entry) + QLatin1Char('/') + name);
    else
        file.insert(QStringLiteral("reason"),
                    leftOut ? reason.mid(DownloadCounts::LeftOutMark().size()) : reason);
    std::printf("%s\n", QJsonDocument(file).toJson(QJsonDocument::Compact).constData());
}
