#include "download/DownloadJob.h"

#include "download/FittedName.h"
#include "harvest/DeepNameRule.h"

#include <QDir>

#include <climits>

void DownloadJob::Add(const QString& folder, const QString& name, const QString& source) {
    const QString destination = Join(folder, name);
    Destinations.append(destination);
    Sources.append(source);
    Names.append(name);
    takenDestinations.insert(destination);
    takenSources.insert(source);
    EntryPages.append(QUrl());
    EntryPolicies.append(RefererPolicy());
    ++Count;
}

void DownloadJob::AddNotFetched(const QString& folder, const QString& name, const QString& source,
                                DownloadCounts::Kind kind, const QString& reason) {
    if (takenSources.contains(source))
        return;
    takenSources.insert(source);
    NotFetched.append({name, Join(folder, name), source, kind, reason});
}

DownloadJob DownloadJob::WithoutFiles() const {
    DownloadJob empty;
    empty.Page = Page;
    empty.PagePolicy = PagePolicy;
    empty.CookieLines = CookieLines;
    empty.FileSourcesAllowed = FileSourcesAllowed;
    empty.Parallel = Parallel;
    return empty;
}

QString DownloadJob::RefererFor(const QString& source, const QUrl& target) const {
    const qsizetype entry = Sources.indexOf(source);
    const QUrl page = EntryPages.value(entry);
    return page.isEmpty() ? PagePolicy.RefererFor(Page, target, source)
                          : EntryPolicies.value(entry).RefererFor(page, target, source);
}

bool DownloadJob::FileSourceAllowed(const QString& source) const {
    const QUrl page = EntryPages.value(Sources.indexOf(source));
    return page.isEmpty() ? FileSourcesAllowed : page.isLocalFile();
}

void DownloadJob::AddListed(const QString& folder, const QString& name, const QString& source) {
    if (takenSources.contains(source))
        return;
    const QString safe = DeepNameRule::SavedName(name, source);
    QString free = FittedName::Of(safe, 1, NAME_MAX);
    for (int number = 2; takenDestinations.contains(Join(folder, free)); ++number)
        free = FittedName::Of(safe, number, NAME_MAX);
    Add(folder, free, source);
}

void DownloadJob::AddListedFrom(const QString& folder, const QString& name, const QString& source,
                                const QUrl& page, const RefererPolicy& policy) {
    const int before = Count;
    AddListed(folder, name, source);
    if (Count == before)
        return;
    EntryPages.last() = page;
    EntryPolicies.last() = policy;
}

QString DownloadJob::NumberedName(const QString& name, int number) {
    const qsizetype split = ExtensionStart(name);
    return name.left(split) + QStringLiteral(" (%1)").arg(number) + name.mid(split);
}

qsizetype DownloadJob::ExtensionStart(const QString& name) {
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : name.size();
}

bool DownloadJob::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator()) &&
           !name.contains(QChar(u'\0'));
}

QString DownloadJob::Join(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}
