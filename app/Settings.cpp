#include "app/Settings.h"

#include <QSettings>

namespace {

const QString ParallelDownloadsKey = QStringLiteral("Settings/ParallelDownloads");
const QString RecentFileSection = QStringLiteral("Recent File List");

QString RecentFileKey(int index) {
    return RecentFileSection + QStringLiteral("/File") + QString::number(index + 1);
}

} // namespace

QStringList Settings::RecentFiles(int maxEntries) {
    QSettings settings;
    QStringList paths;
    for (int i = 0; i < maxEntries; ++i) {
        const QString path = settings.value(RecentFileKey(i)).toString();
        if (!path.isEmpty())
            paths.append(path);
    }
    return paths;
}

void Settings::SetRecentFiles(const QStringList& paths, int maxEntries) {
    QSettings settings;
    for (int i = 0; i < maxEntries; ++i) {
        if (i < paths.size())
            settings.setValue(RecentFileKey(i), paths.at(i));
        else
            settings.remove(RecentFileKey(i));
    }
}

int Settings::ParallelDownloads() {
    bool isNumber = false;
    const int count = QSettings().value(ParallelDownloadsKey).toInt(&isNumber);
    return isNumber && count >= 1 && count <= 16 ? count : 4;
}

void Settings::SetParallelDownloads(int count) {
    QSettings().setValue(ParallelDownloadsKey, count);
}
