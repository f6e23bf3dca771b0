#include "frame/RecentFileList.h"

#include <QSettings>

namespace {

const QString Section = QStringLiteral("Recent File List");

QString EntryKey(int index) {
    return Section + QStringLiteral("/File") + QString::number(index + 1);
}

} // namespace

void RecentFileList::Load() {
    QSettings settings;
    entries.clear();
    for (int i = 0; i < MaxEntries; ++i) {
        const QString path = settings.value(EntryKey(i)).toString();
        if (!path.isEmpty())
            entries.append(path);
    }
}

void RecentFileList::Save() const {
    QSettings settings;
    for (int i = 0; i < MaxEntries; ++i) {
        if (i < entries.size())
            settings.setValue(EntryKey(i), entries.at(i));
        else
            settings.remove(EntryKey(i));
    }
}

QStringList RecentFileList::Entries() const {
    return entries;
}
