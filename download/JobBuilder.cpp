#include "download/JobBuilder.h"

JobBuilder::JobBuilder(const JobOrigin& origin, const QString& folder, int parallel)
    : folder(folder) {
    job.Rules.Page = origin.page;
    job.Rules.PagePolicy = origin.policy;
    job.Rules.CookieLines = origin.cookieLines;
    job.Rules.FileSourcesAllowed = origin.page.isLocalFile();
    job.Parallel = parallel;
}

bool JobBuilder::AddLines(const HarvestLines& lines, const HarvestMap& map,
                          const LineSources& sources) {
    const QSet<QString> listed = PageScan::AddressesOf(map);
    for (const HarvestLine& line : lines) {
        if (!listed.contains(line.address))
            return false;
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

const DownloadJob& JobBuilder::Job() const {
    return job;
}
