#include "frame/LineToolTips.h"

#include "frame/CHarvestList.h"

#include <QHash>

QString LineToolTips::Text(const QString& address, int width, int height, bool estimated) {
    const QString about = estimated ? QStringLiteral("about ") : QString();
    const QString size = width > 0 && height > 0
                             ? about + QStringLiteral("%1 x %2").arg(width).arg(height)
                             : QStringLiteral("size unknown");
    return address + QLatin1Char('\n') + size;
}

namespace {

QString sourceText(const LineSource& source) {
    if (!source.failure.isEmpty())
        return QStringLiteral("\nnot followed: ") + source.failure;
    return source.page.isEmpty() ? QString() : QStringLiteral("\nfrom ") + source.page;
}

} // namespace

void LineToolTips::Show(CHarvestList& list, const std::vector<DeepEntry>& entries,
                        const LineSources& sources) {
    QHash<QString, const DeepEntry*> byAddress;
    byAddress.reserve(qsizetype(entries.size()));
    for (const DeepEntry& entry : entries)
        byAddress.insert(entry.address, &entry);
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        const QString address = item->data(CHarvestList::AddressRole).toString();
        const DeepEntry* entry = byAddress.value(address);
        const QString tip = entry ? Text(address, entry->width, entry->height, entry->sizeEstimated)
                                  : Text(address, 0, 0, false);
        item->setToolTip(tip + sourceText(sources.value(address)));
    }
}
