#include "downloads/JobBuilder.h"

#include "harvest/DeepNameRule.h"
#include "names/NumberedName.h"
#include "records/SavedCheck.h"

JobBuilder::JobBuilder(const JobOrigin& origin, const QString& folder, int parallel)
    : folder(folder) {
    job.Rules.Page = origin.page;
    job.Rules.PagePolicy = origin.policy;
    job.Rules.CookieLines = origin.cookieLines;
    job.Rules.FileSourcesAllowed = origin.page.isLocalFile();
    job.Parallel = parallel;
    galleryPage = origin.page;
    galleryTitle = origin.title;
}

void JobBuilder::SetNames(const NameTemplate& chosen, const QDate& day) {
    names = chosen;
    date = day;
}

void JobBuilder::SetGallery(const QUrl& page, const QString& title) {
    galleryPage = page;
    galleryTitle = title;
}

void JobBuilder::KnowSizes(const std::vector<DeepEntry>& details) {
    for (const DeepEntry& detail : details)
        if (detail.width > 0 && detail.height > 0 && !detail.sizeEstimated)
            sizes.insert(detail.address, QSize(detail.width, detail.height));
}

bool JobBuilder::AddLines(const HarvestLines& lines, const HarvestMap& map,
                          const LineSources& sources, DownloadArchive* record) {
    const QSet<QString> listed = PageScan::AddressesOf(map);
    QStringList addresses;
    for (const HarvestLine& line : lines) {
        if (!listed.contains(line.address))
            return false;
        addresses.append(line.address);
    }
    const QHash<QString, SavedCheck::Settled> settled =
        SavedCheck::Claim(addresses, nullptr, record);
    for (const HarvestLine& line : lines) {
        const auto found = settled.constFind(line.address);
        if (found != settled.constEnd()) {
            AddSettled(line, *found);
            continue;
        }
        const LineSource source = sources.value(line.address);
        Add(line, QUrl(source.page),
            RefererPolicy(source.referrer.policy, source.referrer.elements), source.title);
    }
    return true;
}

void JobBuilder::AddLineFrom(const HarvestLine& line, const QUrl& page, const RefererPolicy& policy,
                             const QString& viewerTitle) {
    Add(line, page, policy, viewerTitle);
}

// A line without a page of its own was listed on the origin's, and follows its policy.
void JobBuilder::Add(const HarvestLine& line, const QUrl& page, const RefererPolicy& policy,
                     const QString& viewerTitle) {
    const QSize size = sizes.value(line.address);
    NameTemplate::Placement placed{QString(), line.name};
    if (!names.IsDefault()) {
        const int number = job.Count() + int(job.NotFetched.size()) + 1;
        const QString saved = DeepNameRule::SavedName(line.name, line.address);
        placed = names.Apply({saved, galleryPage, galleryTitle, viewerTitle, size.width(),
                              size.height(), number, date});
        placed.name = placed.name.isEmpty() ? line.name : WithListedExtension(placed.name, saved);
    }
    const int before = job.Count();
    if (page.isEmpty())
        job.AddListed(folder, placed.name, line.address, placed.subfolder);
    else
        job.AddListedFrom(folder, placed.name, line.address, page, policy, placed.subfolder);
    if (job.Count() == before)
        return;
    DownloadEntry& entry = job.Entries.last();
    entry.GalleryPage = galleryPage;
    entry.PageTitle = galleryTitle;
    entry.ViewerTitle = viewerTitle;
    entry.Width = size.width() > 0 ? size.width() : 0;
    entry.Height = size.height() > 0 ? size.height() : 0;
}

// A templated name without a picture extension ("{name}") keeps the one the
// line was listed with, as the default name does: the name is then known
// before the answer comes, and what the preview shows is what is saved.
QString JobBuilder::WithListedExtension(const QString& name, const QString& listed) {
    if (DeepNameRule::HasAcceptedExtension(name) || !DeepNameRule::HasAcceptedExtension(listed))
        return name;
    return name + listed.mid(NumberedName::ExtensionStart(listed));
}

void JobBuilder::AddNotFetched(const HarvestLine& line, const QString& name,
                               DownloadCounts::Kind kind, const QString& reason) {
    job.AddNotFetched(folder, name, line.address, kind,
                      !reason.isEmpty()                       ? reason
                      : kind == DownloadCounts::Kind::Skipped ? InArchiveReason()
                                                              : InFolderReason());
}

void JobBuilder::AddSettled(const HarvestLine& line, const SavedCheck::Settled& settled) {
    AddNotFetched(line, settled.NameOr(line.name), settled.kind, ReasonOf(settled));
}

QString JobBuilder::ReasonOf(const SavedCheck::Settled& settled) {
    return settled.elsewhere                               ? ElsewhereReason()
           : settled.kind == DownloadCounts::Kind::Skipped ? InArchiveReason()
                                                           : InFolderReason();
}

void JobBuilder::AddLeftOut(const HarvestLine& line, const QString& why) {
    job.AddNotFetched(folder, line.name, line.address, DownloadCounts::Kind::LeftOut, why);
}

const DownloadJob& JobBuilder::Job() const {
    return job;
}

QStringList JobBuilder::SavedNames() const {
    QStringList shown;
    for (const DownloadEntry& entry : job.Entries) {
        QString name = entry.Subfolder.isEmpty() ? entry.Name
                                                 : entry.Subfolder + QLatin1Char('/') + entry.Name;
        if (!DeepNameRule::HasAcceptedExtension(entry.Name))
            name += QStringLiteral(" (+ the extension of its type)");
        shown.append(name);
    }
    return shown;
}
