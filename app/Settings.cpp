#include "app/Settings.h"

#include <QSettings>

namespace {

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
