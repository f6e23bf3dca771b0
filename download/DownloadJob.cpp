#include "download/DownloadJob.h"

#include <QDir>

void DownloadJob::Add(const QString& folder, const QString& name, const QString& source) {
    Destinations.append(folder + QDir::separator() + name);
    Sources.append(source);
    Names.append(name);
    ++Count;
}

QString DownloadJob::RefererFor(const QUrl& target) const {
    return PagePolicy.RefererFor(Page, target);
}

bool DownloadJob::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator()) &&
           !name.contains(QChar(u'\0'));
}
