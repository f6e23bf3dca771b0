#include "ArchiveMerge.h"

#include "ToolName.h"
#include "records/DownloadArchive.h"

#include <cstdio>

std::optional<int> ArchiveMerge::Run(const QStringList& files) {
    for (const QString& file : files) {
        if (file.startsWith(QLatin1Char('-')) || file.isEmpty()) {
            std::fprintf(stderr, "%s--merge-archive takes OUT IN... and no other option\n",
                         ToolName::Prefix().constData());
            return std::nullopt;
        }
    }
    if (files.size() < 2) {
        std::fprintf(stderr, "%s--merge-archive takes OUT and at least one IN\n",
                     ToolName::Prefix().constData());
        return std::nullopt;
    }
    DownloadArchive merged(files.first());
    QString error;
    if (!merged.Load(error)) {
        std::fprintf(stderr, "%scannot use %s: %s\n", ToolName::Prefix().constData(),
                     qPrintable(files.first()), qPrintable(error));
        return 1;
    }
    int exitCode = 0;
    for (const QString& file : files.mid(1)) {
        DownloadArchive::Merged taken;
        if (!merged.MergeFrom(file, taken, error)) {
            std::fprintf(stderr, "%scannot merge %s: %s\n", ToolName::Prefix().constData(),
                         qPrintable(file), qPrintable(error));
            exitCode = 1;
            continue;
        }
        std::printf("merged %s: %d new\n", file.toUtf8().constData(), taken.added);
        if (taken.leftOut > 0)
            std::fprintf(stderr, "%s%s: left out %d records naming no plain file in a folder\n",
                         ToolName::Prefix().constData(), qPrintable(file), taken.leftOut);
    }
    std::fflush(stdout);
    return exitCode;
}
