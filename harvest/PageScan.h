#pragma once

#include "harvest/DomSnapshot.h"

#include <QHash>
#include <QString>

class ListSink;

using HarvestMap = QHash<QString, QString>; // display name -> full address

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

private:
    ListSink& imageList;
    HarvestMap& imageMap;
    ListSink& linkList;
    HarvestMap& linkMap;
};
