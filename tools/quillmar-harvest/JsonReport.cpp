#include "JsonReport.h"

#include "follow/FollowedList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonObject followedPart(const FollowSummary& summary) {
    QJsonArray failures;
    for (const FollowSummary::Failure& failure : summary.Failures())
        failures.append(QJsonObject{{QStringLiteral("page"), failure.page},
                                    {QStringLiteral("reason"), failure.reason}});
    return {{QStringLiteral("pages"), summary.Pages()},
            {QStringLiteral("pictures"), summary.Pictures()},
            {QStringLiteral("failed"), summary.Failed()},
            {QStringLiteral("withoutPicture"), summary.WithoutPicture()},
            {QStringLiteral("failures"), failures}};
}

} // namespace

QByteArray JsonReport::Write(const FollowedList& lines, const QString& url, bool styleWalkCut,
                             const QJsonObject& outcome, bool followed,
                             const QHash<QString, QString>* keptFor) {
    const auto alike = [keptFor](QJsonObject& entry, const QString& address) {
        if (keptFor)
            entry.insert(QStringLiteral("alikeOf"), keptFor->contains(address)
                                                        ? QJsonValue(keptFor->value(address))
                                                        : QJsonValue(QJsonValue::Null));
    };
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
        alike(image, entry.address);
        images.append(image);
    }
    QJsonArray links;
    for (const FollowedEntry& line : lines.Links()) {
        QJsonObject link{{QStringLiteral("name"), line.entry.name},
                         {QStringLiteral("address"), line.entry.address}};
        alike(link, line.entry.address);
        links.append(link);
    }
    QJsonObject report = outcome;
    report.insert(QStringLiteral("url"), url);
    report.insert(QStringLiteral("images"), images);
    report.insert(QStringLiteral("links"), links);
    if (styleWalkCut)
        report.insert(QStringLiteral("cssCut"), true);
    if (followed)
        report.insert(QStringLiteral("followed"), followedPart(lines.Summary()));
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
