#include "watches/WatchPeriod.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr qint64 Minute = 60;
constexpr qint64 Hour = 60 * Minute;
constexpr qint64 Day = 24 * Hour;

qint64 UnitSeconds(QChar unit) {
    switch (unit.toLower().unicode()) {
    case 'm':
        return Minute;
    case 'h':
        return Hour;
    default:
        return Day;
    }
}

} // namespace

std::optional<qint64> WatchPeriod::Parse(const QString& text, QString& error) {
    // Six digits at most: a million days overflows nothing and is refused below.
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,6})([mhdMHD])$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        error = QStringLiteral("a period is a whole number of minutes, hours or days, "
                               "for instance 30m, 6h or 2d");
        return std::nullopt;
    }
    const qint64 seconds = match.captured(1).toLongLong() * UnitSeconds(match.captured(2).at(0));
    if (seconds < ShortestSeconds) {
        error = QStringLiteral("a watch is checked at most every %1").arg(Text(ShortestSeconds));
        return std::nullopt;
    }
    if (seconds > LongestSeconds) {
        error = QStringLiteral("a watch is checked at least every %1").arg(Text(LongestSeconds));
        return std::nullopt;
    }
    return seconds;
}

QString WatchPeriod::Text(qint64 seconds) {
    for (const auto& [unit, letter] : {std::pair{Day, 'd'}, {Hour, 'h'}})
        if (seconds % unit == 0)
            return QString::number(seconds / unit) + QLatin1Char(letter);
    return QString::number(seconds / Minute) + QLatin1Char('m');
}

qint64 WatchPeriod::Bounded(qint64 seconds) {
    return std::clamp(seconds, ShortestSeconds, LongestSeconds);
}
