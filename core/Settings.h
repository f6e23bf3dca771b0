#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

// The choices of Follow Thumbnails, as last made.
struct FollowSettings {
    bool otherSites = false; // also follow links to other sites
    QString match;           // only link addresses containing this text; empty: all
    bool everyPicture = false;
    int nextPages = 0; // 0 to MaxFollowNextPages
    static constexpr int MaxFollowNextPages = 50;
};

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
    static FollowSettings Follow();
    static void SetFollow(const FollowSettings& follow);
    // Downloads leave out what was saved into the same folder before (off by default).
    static bool SkipSavedPictures();
    static void SetSkipSavedPictures(bool on);
    // The most KB/s the window's downloads take together; 0: no limit (until chosen).
    static int DownloadSpeedLimit();
    static void SetDownloadSpeedLimit(int kilobytesPerSecond);
    // Seconds between two requests of the window to one site; 0: none (until chosen).
    static double RequestWaitSeconds();
    static void SetRequestWaitSeconds(double seconds);

    // How saved files are named ("{name}.{ext}" when never chosen), whether an
    // info file is written beside each, and whether where it came from is
    // written onto it.
    struct FileNames {
        QString nameTemplate;
        bool writeInfo = false;
        bool markOrigin = true;
    };
    static FileNames DownloadFileNames();
    static void SetDownloadFileNames(const FileNames& names);
    // The download folder last chosen in any window; empty until one is.
    static QString DownloadFolder();
    static void SetDownloadFolder(const QString& folder);
    // The size the user gave the Thumbnails window; invalid until then.
    static QSize ThumbnailsWindowSize();
    static void SetThumbnailsWindowSize(const QSize& size);
};
