#pragma once

#include <QStringList>

// Every setting Quillmar keeps between runs, under the organisation
// "QuillmarBrowser". The only place that reads or writes QSettings.
class Settings {
public:
    static QStringList RecentFiles(int maxEntries);
    static void SetRecentFiles(const QStringList& paths, int maxEntries);
    // Files one download command fetches at once, 1 to 16; 4 until chosen.
    static int ParallelDownloads();
    static void SetParallelDownloads(int count);
};
