#pragma once

#include <QSize>
#include <QString>
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
    // Deep Scan on or off (off by default).
    static bool DeepScan();
    static void SetDeepScan(bool on);
    // Deep Scan hides images known to be smaller; 0 in a direction: no limit.
    static QSize MinimumPictureSize();
    static void SetMinimumPictureSize(const QSize& size);
    // The download folder last chosen in any window; empty until one is.
    static QString DownloadFolder();
    static void SetDownloadFolder(const QString& folder);
    // The size the user gave the Thumbnails window; invalid until then.
    static QSize ThumbnailsWindowSize();
    static void SetThumbnailsWindowSize(const QSize& size);
};
