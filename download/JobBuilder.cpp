#include "download/JobBuilder.h"

#include "download/DownloadArchive.h"

JobBuilder::JobBuilder(const JobOrigin& origin, const QString& folder, int parallel)
    : folder(folder) {
    job.Rules.Page = origin.page;
    job.Rules.PagePolicy = origin.policy;
    job.Rules.CookieLines = origin.cookieLines;
    job.Rules.FileSourcesAllowed = origin.page.isLocalFile();
    job.Parallel = parallel;
}

bool JobBuilder::AddLines(const HarvestLines& lines, const HarvestMap& map,
                          const LineSources& sources, const DownloadArchive* record) {
    const QSet<QString> listed = PageScan::AddressesOf(map);
    const QStringList savedNames = record ? record->SavedNames(lines) : QStringList(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const HarvestLine& line = lines[i];
        if (!listed.contains(line.address))
            return false;
        if (!savedNames[i].isEmpty()) {
            AddNotFetched(line, savedNames[i], DownloadCounts::Kind::AlreadySaved);
            continue;
        }
        const LineSource source = sources.value(line.address);
        if (source.page.isEmpty())
            job.AddListed(folder, line.name, line.address);
        else
            AddLineFrom(line, QUrl(source.page),
                        RefererPolicy(source.referrer.policy, source.referrer.elements));
    }
    return true;
}

void JobBuilder::AddLineFrom(const HarvestLine& line, const QUrl& page,
                             const RefererPolicy& policy) {
    job.AddListedFrom(folder, line.name, line.address, page, policy);
}

void JobBuilder::AddNotFetched(const HarvestLine& line, const QString& name,
                               DownloadCounts::Kind kind) {
    job.AddNotFetched(folder, name, line.address, kind,
                      kind == DownloadCounts::Kind::Skipped ? InArchiveReason() : InFolderReason());
}

const DownloadJob& JobBuilder::Job() const {
    return job;
}
