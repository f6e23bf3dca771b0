#include "frame/RecentFileList.h"

#include "core/Settings.h"

void RecentFileList::Load() {
    entries = Settings::RecentFiles(MaxEntries);
}

void RecentFileList::Save() const {
    Settings::SetRecentFiles(entries, MaxEntries);
}

QStringList RecentFileList::Entries() const {
    return entries;
}
