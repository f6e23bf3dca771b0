#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// How often a watch is checked: a whole number of minutes, hours or days,
// written "30m", "6h" or "2d". Seconds are no unit of it: a page is checked
// at most every five minutes, which sites and the timer that runs the checks
// both bear.
class WatchPeriod {
public:
    static constexpr qint64 DefaultSeconds = 86400;
    static constexpr qint64 ShortestSeconds = 5 * 60;
    static constexpr qint64 LongestSeconds = 365 * 86400;

    // The seconds text stands for; nothing, with error set to a sentence that
    // says what a period looks like, when it is none or out of bounds.
    static std::optional<qint64> Parse(const QString& text, QString& error);
    // The text Parse reads back as seconds, in the largest whole unit:
    // 5400 gives "90m", 7200 "2h", 172800 "2d".
    static QString Text(qint64 seconds);
    // A period read from a stored watch, within bounds.
    static qint64 Bounded(qint64 seconds);
};
