#include "download/DownloadJob.h"

#include <QDir>

void DownloadJob::Add(const QString& folder, const QString& name, const QString& source,
                      const QString& referer) {
    Destinations.append(folder + QDir::separator() + name);
    Sources.append(source);
    Names.append(name);
    Referers.append(referer);
    ++Count;
}

bool DownloadJob::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QDir::separator()) &&
           !name.contains(QChar(u'\0'));
}
