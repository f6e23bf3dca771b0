#include "downloads/DownloadProgressText.h"

#include <QStringList>

#include <array>

namespace {

// ", 2 failed", told apart from the files done; empty for none.
QString AndFailed(int failed) {
    return failed > 0 ? QStringLiteral(", %1 failed").arg(failed) : QString();
}

QString FilesDone(int done, int total, int failed) {
    return QStringLiteral("%1 of %2 files").arg(done).arg(total) + AndFailed(failed);
}

// Parts joined, the empty ones left out.
QString Listed(const QStringList& parts) {
    QStringList given = parts;
    given.removeAll(QString());
    return given.join(QStringLiteral(", "));
}

} // namespace

QString DownloadProgressText::Bytes(qint64 bytes) {
    static const std::array<const char*, 5> units = {"KB", "MB", "GB", "TB", "PB"};
    if (bytes < 1000)
        return QStringLiteral("%1 B").arg(qMax<qint64>(bytes, 0));
    double value = double(bytes);
    size_t unit = 0;
    for (value /= 1000; value >= 999.5 && unit + 1 < units.size(); value /= 1000)
        ++unit;
    // One decimal below ten, so "3.2 MB/s" and "140 MB" both read at a glance.
    const int decimals = value < 9.95 ? 1 : 0;
    return QStringLiteral("%1 %2").arg(value, 0, 'f', decimals).arg(QLatin1String(units[unit]));
}

QString DownloadProgressText::TimeLeft(qint64 seconds) {
    QString amount;
    if (seconds < 90)
        amount = QStringLiteral("%1 s").arg(seconds);
    else if (seconds < 90 * 60)
        amount = QStringLiteral("%1 min").arg((seconds + 30) / 60);
    else
        amount = QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
    return QStringLiteral("about %1 left").arg(amount);
}

QString DownloadProgressText::Amount(qint64 received, qint64 total) {
    return total > 0 ? QStringLiteral("%1 of %2").arg(Bytes(received), Bytes(total))
                     : Bytes(received);
}

QString DownloadProgressText::Pace(qint64 bytesPerSecond, qint64 secondsLeft) {
    if (bytesPerSecond <= 0)
        return QString();
    return Listed({Bytes(bytesPerSecond) + QStringLiteral("/s"),
                   secondsLeft >= 0 ? TimeLeft(secondsLeft) : QString()});
}

QString DownloadProgressText::Totals(const DownloadHandle::Totals& totals, int failed,
                                     bool paused) {
    const QString files = FilesDone(totals.filesDone, totals.filesTotal, failed);
    const QString amount = Amount(totals.bytesReceived, totals.bytesTotal);
    if (paused)
        return Listed({QStringLiteral("paused"), files, amount});
    return Listed({files, amount, Pace(totals.bytesPerSecond, totals.secondsLeft)});
}

QString DownloadProgressText::Paused(int done, int total, int failed) {
    return QStringLiteral("Download paused, %1 of %2 files done").arg(done).arg(total) +
           AndFailed(failed);
}
