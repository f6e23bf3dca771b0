#include "fetch/DownloadJob.h"

#include "harvest/DeepNameRule.h"
#include "names/FittedName.h"

#include <QDir>
#include <QFileInfo>

#include <climits>

QStringList DownloadJob::Sources() const {
    QStringList sources;
    for (const DownloadEntry& entry : Entries)
        sources.append(entry.Source);
    return sources;
}

void DownloadJob::Add(const QString& folder, const QString& name, const QString& source,
                      const QString& subfolder) {
    DownloadEntry entry;
    entry.Source = source;
    entry.Destination = Join(subfolder.isEmpty() ? folder : Join(folder, subfolder), name);
    entry.Name = name;
    entry.Subfolder = subfolder;
    takenDestinations.insert(entry.Destination);
    takenSources.insert(source);
    Entries.append(entry);
}

void DownloadJob::AddNotFetched(const QString& folder, const QString& name, const QString& source,
                                DownloadCounts::Kind kind, const QString& reason) {
    if (takenSources.contains(source))
        return;
    takenSources.insert(source);
    NotFetched.append({name, Join(folder, name), source, kind, reason});
}

void DownloadJob::NotFetchedInstead(int index, const QString& name, DownloadCounts::Kind kind,
                                    const QString& reason) {
    const DownloadEntry entry = Entries.takeAt(index);
    takenDestinations.remove(entry.Destination);
    NotFetched.append(
        {name, Join(QFileInfo(entry.Destination).path(), name), entry.Source, kind, reason});
}

DownloadJob DownloadJob::WithoutFiles() const {
    DownloadJob empty;
    empty.Rules = Rules;
    empty.Parallel = Parallel;
    empty.ContinuePartial = ContinuePartial;
    empty.MarkOrigin = MarkOrigin;
    empty.WriteInfo = WriteInfo;
    return empty;
}

QString DownloadJob::RefererFor(const DownloadEntry& entry, const QUrl& target) const {
    return Rules.RefererFor(entry.Page, entry.Policy, entry.Source, target);
}

void DownloadJob::AddListed(const QString& folder, const QString& name, const QString& source,
                            const QString& subfolder) {
    if (takenSources.contains(source))
        return;
    const QString safe = DeepNameRule::SavedName(name, source);
    const QString into = subfolder.isEmpty() ? folder : Join(folder, subfolder);
    QString free = FittedName::Of(safe, 1, NAME_MAX);
    for (int number = 2; takenDestinations.contains(Join(into, free)); ++number)
        free = FittedName::Of(safe, number, NAME_MAX);
    Add(folder, free, source, subfolder);
}

void DownloadJob::AddListedFrom(const QString& folder, const QString& name, const QString& source,
                                const QUrl& page, const RefererPolicy& policy,
                                const QString& subfolder) {
    const int before = Count();
    AddListed(folder, name, source, subfolder);
    if (Count() == before)
        return;
    Entries.last().Page = page;
    Entries.last().Policy = policy;
}

bool DownloadJob::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator()) &&
           !name.contains(QChar(u'\0'));
}

QString DownloadJob::Join(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}
