#pragma once

#include "harvest/DomSnapshot.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

class ListSink;

// Display name -> the distinct addresses listed under that name, in the order
// the scan first found them.
using HarvestMap = QHash<QString, QStringList>;

// Walks a page snapshot, frames first, and lists every image and link whose
// display name passes IsImageFileName.
class PageScan {
public:
    PageScan(ListSink& imageList, HarvestMap& imageMap, ListSink& linkList, HarvestMap& linkMap);

    void ScanPage(const PageSnapshot& page);
    void CollectLinks(const DomDocument& document);
    void CollectImages(const DomDocument& document);
    void AddLinkEntry(const QString& name, const QString& address);
    void AddImageEntry(const QString& name, const QString& address);

    // The number of distinct addresses in a map, and the addresses themselves.
    // Only HTML documents (XHTML included) are scanned.
    static bool IsHtml(const QString& contentType);
    static int AddressCount(const HarvestMap& map);
    static QSet<QString> AddressesOf(const HarvestMap& map);

private:
    static void AddToMap(HarvestMap& map, QSet<QString>& known, const QString& name,
                         const QString& address);

    ListSink& imageList;
    HarvestMap& imageMap;
    ListSink& linkList;
    HarvestMap& linkMap;
    // Every address in each map, so a page of many equal names stays fast to scan.
    QSet<QString> imageAddresses;
    QSet<QString> linkAddresses;
};
