#include "harvest/LineToolTips.h"

#include "harvest/CHarvestList.h"

#include <QHash>

QString LineToolTips::Text(const QString& address, int width, int height, bool estimated) {
    const QString about = estimated ? QStringLiteral("about ") : QString();
    const QString size = width > 0 && height > 0
                             ? about + QStringLiteral("%1 x %2").arg(width).arg(height)
                             : QStringLiteral("size unknown");
    return address + QLatin1Char('\n') + size;
}

void LineToolTips::Show(CHarvestList& list, const std::vector<DeepEntry>& entries) {
    QHash<QString, const DeepEntry*> byAddress;
    byAddress.reserve(qsizetype(entries.size()));
    for (const DeepEntry& entry : entries)
        byAddress.insert(entry.address, &entry);
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        const QString address = item->data(CHarvestList::AddressRole).toString();
        const DeepEntry* entry = byAddress.value(address);
        item->setToolTip(entry ? Text(address, entry->width, entry->height, entry->sizeEstimated)
                               : Text(address, 0, 0, false));
    }
}
