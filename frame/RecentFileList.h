#pragma once

#include <QStringList>

// The recently used files shown in the File menu while no browser window is
// open, kept under the settings key between runs.
class RecentFileList {
public:
    static constexpr int MaxEntries = 4;

    void Load();
    void Save() const;
    QStringList Entries() const;

private:
    QStringList entries;
};
