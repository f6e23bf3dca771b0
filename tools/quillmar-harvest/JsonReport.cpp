#include "JsonReport.h"

#include "follow/FollowedList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray JsonReport::Write(const FollowedList& lines, const QString& url, bool styleWalkCut,
                             const QJsonObject& outcome) {
    QJsonArray images;
    for (const FollowedEntry& line : lines.Images()) {
        const DeepEntry& entry = line.entry;
        QJsonObject image{{QStringLiteral("name"), entry.name},
                          {QStringLiteral("address"), entry.address},
                          {QStringLiteral("width"), entry.width},
                          {QStringLiteral("height"), entry.height},
                          {QStringLiteral("sizeEstimated"), entry.sizeEstimated},
                          {QStringLiteral("source"), entry.source},
                          {QStringLiteral("from"), line.from}};
        if (!line.failure.isEmpty())
            image.insert(QStringLiteral("followError"), line.failure);
        images.append(image);
    }
    QJsonArray links;
    for (const FollowedEntry& line : lines.Links())
        links.append(QJsonObject{{QStringLiteral("name"), line.entry.name},
                                 {QStringLiteral("address"), line.entry.address}});
    QJsonObject report = outcome;
    report.insert(QStringLiteral("url"), url);
    report.insert(QStringLiteral("images"), images);
    report.insert(QStringLiteral("links"), links);
    if (styleWalkCut)
        report.insert(QStringLiteral("cssCut"), true);
    return Line(report);
}

QJsonObject JsonReport::Outcome(const QString& page, const QString& reason, const QString& shard) {
    QJsonObject outcome{{QStringLiteral("page"), page},
                        {QStringLiteral("outcome"),
                         reason.isEmpty() ? QStringLiteral("ok") : QStringLiteral("failed")}};
    if (!reason.isEmpty())
        outcome.insert(QStringLiteral("reason"), reason);
    if (!shard.isEmpty())
        outcome.insert(QStringLiteral("shard"), shard);
    return outcome;
}

QByteArray JsonReport::Line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
