#include "bookmarks/LinkHistory.h"

namespace {
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || c == QLatin1Char('\v') || c == QLatin1Char('\f');
}
} // namespace

void LinkHistory::Add(QStringList& history, const QString& address) {
    if (address.isEmpty() || history.contains(address))
        return;
    const QString entry = Trimmed(address);
    if (entry.isEmpty())
        return;
    // Only a new address costs the oldest entry: a revisit must not lose one.
    while (history.size() >= MaxEntries)
        history.removeFirst();
    history.append(entry);
}

QString LinkHistory::Trimmed(const QString& address) {
    qsizetype begin = 0;
    qsizetype end = address.size();
    while (begin < end && isBlank(address.at(begin)))
        ++begin;
    while (end > begin && isBlank(address.at(end - 1)))
        --end;
    return address.mid(begin, end - begin);
}
