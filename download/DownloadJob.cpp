#include "download/DownloadJob.h"

#include "harvest/SafeFileName.h"

#include <QDir>

void DownloadJob::Add(const QString& folder, const QString& name, const QString& source) {
    const QString destination = Join(folder, name);
    Destinations.append(destination);
    Sources.append(source);
    Names.append(name);
    takenDestinations.insert(destination);
    takenSources.insert(source);
    ++Count;
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
    return PagePolicy.RefererFor(Page, target, source);
}

void DownloadJob::AddListed(const QString& folder, const QString& name, const QString& source) {
    if (takenSources.contains(source))
        return;
    const QString safe = SafeFileName::Of(name);
    QString free = safe;
    for (int number = 2; takenDestinations.contains(Join(folder, free)); ++number)
        free = NumberedName(safe, number);
    Add(folder, free, source);
}

QString DownloadJob::NumberedName(const QString& name, int number) {
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype split = dot > 0 ? dot : name.size();
    return name.left(split) + QStringLiteral(" (%1)").arg(number) + name.mid(split);
}

bool DownloadJob::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator()) &&
           !name.contains(QChar(u'\0'));
}

QString DownloadJob::Join(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}
