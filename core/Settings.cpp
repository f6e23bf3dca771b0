#include "core/Settings.h"

#include "core/Limits.h"
#include <QSettings>

#include <algorithm>

namespace {

const QString ParallelDownloadsKey = QStringLiteral("Settings/ParallelDownloads");
const QString DownloadSpeedLimitKey = QStringLiteral("Download/Speed Limit");
const QString RequestWaitKey = QStringLiteral("Download/Wait Between Requests");
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
    return isNumber && count >= Limits::MinParallelDownloads &&
                   count <= Limits::MaxParallelDownloads
               ? count
               : Limits::DefaultParallelDownloads;
}

void Settings::SetParallelDownloads(int count) {
    QSettings().setValue(ParallelDownloadsKey, count);
}

bool Settings::DeepScan() {
    return QSettings().value(QStringLiteral("Scan/Deep Scan"), false).toBool();
}

void Settings::SetDeepScan(bool on) {
    QSettings().setValue(QStringLiteral("Scan/Deep Scan"), on);
}

QSize Settings::MinimumPictureSize() {
    QSettings settings;
    const int width = settings.value(QStringLiteral("Scan/Minimum Width"), 0).toInt();
    const int height = settings.value(QStringLiteral("Scan/Minimum Height"), 0).toInt();
    return QSize(std::max(0, width), std::max(0, height));
}

void Settings::SetMinimumPictureSize(const QSize& size) {
    QSettings settings;
    settings.setValue(QStringLiteral("Scan/Minimum Width"), std::max(0, size.width()));
    settings.setValue(QStringLiteral("Scan/Minimum Height"), std::max(0, size.height()));
}

FollowSettings Settings::Follow() {
    QSettings settings;
    FollowSettings follow;
    follow.otherSites = settings.value(QStringLiteral("Follow/Other Sites"), false).toBool();
    follow.match = settings.value(QStringLiteral("Follow/Link Text")).toString();
    follow.everyPicture = settings.value(QStringLiteral("Follow/Every Picture"), false).toBool();
    follow.nextPages = std::clamp(settings.value(QStringLiteral("Follow/Next Pages"), 0).toInt(), 0,
                                  FollowSettings::MaxFollowNextPages);
    return follow;
}

void Settings::SetFollow(const FollowSettings& follow) {
    QSettings settings;
    settings.setValue(QStringLiteral("Follow/Other Sites"), follow.otherSites);
    settings.setValue(QStringLiteral("Follow/Link Text"), follow.match);
    settings.setValue(QStringLiteral("Follow/Every Picture"), follow.everyPicture);
    settings.setValue(QStringLiteral("Follow/Next Pages"), follow.nextPages);
}

bool Settings::SkipSavedPictures() {
    return QSettings().value(QStringLiteral("Download/Skip Saved Pictures"), false).toBool();
}

void Settings::SetSkipSavedPictures(bool on) {
    QSettings().setValue(QStringLiteral("Download/Skip Saved Pictures"), on);
}

int Settings::DownloadSpeedLimit() {
    const int limit = QSettings().value(DownloadSpeedLimitKey, 0).toInt();
    return limit >= 0 && limit <= Limits::MaxDownloadSpeedLimit ? limit : 0;
}

void Settings::SetDownloadSpeedLimit(int kilobytesPerSecond) {
    QSettings().setValue(DownloadSpeedLimitKey, kilobytesPerSecond);
}

double Settings::RequestWaitSeconds() {
    const double seconds = QSettings().value(RequestWaitKey, 0.0).toDouble();
    return seconds >= 0 && seconds <= Limits::MaxRequestWaitSeconds ? seconds : 0;
}

void Settings::SetRequestWaitSeconds(double seconds) {
    QSettings().setValue(RequestWaitKey, seconds);
}

Settings::FileNames Settings::DownloadFileNames() {
    const QSettings settings;
    return {settings.value(QStringLiteral("Download/Name Template"), QStringLiteral("{name}.{ext}"))
                .toString(),
            settings.value(QStringLiteral("Download/Write Info"), false).toBool(),
            settings.value(QStringLiteral("Download/Mark Origin"), true).toBool()};
}

void Settings::SetDownloadFileNames(const FileNames& names) {
    QSettings settings;
    settings.setValue(QStringLiteral("Download/Name Template"), names.nameTemplate);
    settings.setValue(QStringLiteral("Download/Write Info"), names.writeInfo);
    settings.setValue(QStringLiteral("Download/Mark Origin"), names.markOrigin);
}

QString Settings::DownloadFolder() {
    return QSettings().value(QStringLiteral("Settings/Download Folder")).toString();
}

void Settings::SetDownloadFolder(const QString& folder) {
    QSettings().setValue(QStringLiteral("Settings/Download Folder"), folder);
}

QSize Settings::ThumbnailsWindowSize() {
    return QSettings().value(QStringLiteral("Thumbnails/Window Size")).toSize();
}

void Settings::SetThumbnailsWindowSize(const QSize& size) {
    QSettings().setValue(QStringLiteral("Thumbnails/Window Size"), size);
}
