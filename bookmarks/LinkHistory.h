#pragma once

#include <QString>
#include <QStringList>

// The rules of a browser window's address history: oldest first, each address
// once, at most MaxEntries addresses.
class LinkHistory {
public:
    static constexpr int MaxEntries = 51;

    // Appends address, trimmed, unless it is blank or already present as typed.
    // A new address added to a full history drops the oldest entry.
    static void Add(QStringList& history, const QString& address);
    // address without leading and trailing space, tab, CR, LF, VT and FF.
    static QString Trimmed(const QString& address);
};
