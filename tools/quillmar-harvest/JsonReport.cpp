#include "JsonReport.h"

#include "PageHarvester.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray JsonReport::Write(const PageHarvester& harvester, const QString& url) {
    QJsonArray images;
    for (const DeepEntry& entry : harvester.ImageEntries())
        images.append(QJsonObject{{QStringLiteral("name"), entry.name},
                                  {QStringLiteral("address"), entry.address},
                                  {QStringLiteral("width"), entry.width},
                                  {QStringLiteral("height"), entry.height},
                                  {QStringLiteral("sizeEstimated"), entry.sizeEstimated},
                                  {QStringLiteral("source"), entry.source}});
    QJsonArray links;
    for (const DeepEntry& entry : harvester.LinkEntries())
        links.append(QJsonObject{{QStringLiteral("name"), entry.name},
                                 {QStringLiteral("address"), entry.address}});
    QJsonObject report{{QStringLiteral("url"), url},
                       {QStringLiteral("images"), images},
                       {QStringLiteral("links"), links}};
    if (harvester.StyleWalkCut())
        report.insert(QStringLiteral("cssCut"), true);
    return QJsonDocument(report).toJson(QJsonDocument::Compact) + '\n';
}
