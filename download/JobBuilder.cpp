#include "download/JobBuilder.h"

JobBuilder::JobBuilder(const JobOrigin& origin, const QString& folder, int parallel)
    : folder(folder) {
    job.Page = origin.page;
    job.PagePolicy = origin.policy;
    job.CookieLines = origin.cookieLines;
    job.FileSourcesAllowed = origin.page.isLocalFile();
    job.Parallel = parallel;
}

bool JobBuilder::AddLines(const HarvestLines& lines, const HarvestMap& map) {
    const QSet<QString> listed = PageScan::AddressesOf(map);
    for (const HarvestLine& line : lines) {
        if (!listed.contains(line.address))
            return false;
        job.AddListed(folder, line.name, line.address);
    }
    return true;
}

const DownloadJob& JobBuilder::Job() const {
    return job;
}
