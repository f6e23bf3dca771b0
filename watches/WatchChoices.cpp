#include "watches/WatchChoices.h"

#include "core/Limits.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <algorithm>

namespace {

// The bounds the tool's options keep to, so a stored value cannot go past them.
constexpr int MaxNextPages = 1000;
constexpr int MaxPageLimit = 1000000;

int Bounded(const QJsonValue& value, int fallback, int minimum, int maximum) {
    return std::clamp(value.toInt(fallback), minimum, maximum);
}

} // namespace

QByteArray WatchChoices::ToJson() const {
    const QJsonObject object{
        {QStringLiteral("version"), Version},
        {QStringLiteral("deep"), deep},
        {QStringLiteral("scroll"), scroll},
        {QStringLiteral("minWidth"), minimumSize.width()},
        {QStringLiteral("minHeight"), minimumSize.height()},
        {QStringLiteral("follow"), followThumbnails},
        {QStringLiteral("followOtherSites"), follow.otherSites},
        {QStringLiteral("followMatch"), follow.match},
        {QStringLiteral("takeAll"), follow.takeAll},
        {QStringLiteral("nextPages"), follow.nextPages},
        {QStringLiteral("pageLimit"), follow.pageLimit},
        {QStringLiteral("images"), images},
        {QStringLiteral("links"), links},
        {QStringLiteral("match"), match},
        {QStringLiteral("names"), names},
        {QStringLiteral("writeInfo"), writeInfo},
        {QStringLiteral("origin"), markOrigin},
        {QStringLiteral("similar"), similar},
        {QStringLiteral("windowLogins"), windowLogins},
        {QStringLiteral("fromNow"), fromNow},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

WatchChoices WatchChoices::FromJson(const QByteArray& json) {
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    WatchChoices choices;
    const auto flag = [&object](const char* key, bool fallback) {
        return object.value(QLatin1String(key)).toBool(fallback);
    };
    choices.deep = flag("deep", choices.deep);
    choices.scroll = flag("scroll", choices.scroll);
    // -1 each way: no minimum, as QSize() is.
    choices.minimumSize = QSize(
        Bounded(object.value(QStringLiteral("minWidth")), -1, -1, Limits::MaxMinimumPictureSide),
        Bounded(object.value(QStringLiteral("minHeight")), -1, -1, Limits::MaxMinimumPictureSide));
    choices.followThumbnails = flag("follow", choices.followThumbnails);
    choices.follow.otherSites = flag("followOtherSites", choices.follow.otherSites);
    choices.follow.match = object.value(QStringLiteral("followMatch")).toString();
    choices.follow.takeAll = flag("takeAll", choices.follow.takeAll);
    choices.follow.nextPages = Bounded(object.value(QStringLiteral("nextPages")),
                                       choices.follow.nextPages, 0, MaxNextPages);
    choices.follow.pageLimit = Bounded(object.value(QStringLiteral("pageLimit")),
                                       choices.follow.pageLimit, 0, MaxPageLimit);
    choices.follow.minimumSize = choices.minimumSize;
    choices.images = flag("images", choices.images);
    choices.links = flag("links", choices.links);
    choices.match = object.value(QStringLiteral("match")).toString();
    // A template the program would refuse is never taken from the file either.
    const QString names = object.value(QStringLiteral("names")).toString(choices.names);
    if (NameTemplate::Refusal(names).isEmpty())
        choices.names = names;
    choices.writeInfo = flag("writeInfo", choices.writeInfo);
    choices.markOrigin = flag("origin", choices.markOrigin);
    choices.similar = flag("similar", choices.similar);
    choices.windowLogins = flag("windowLogins", choices.windowLogins);
    choices.fromNow = flag("fromNow", choices.fromNow);
    return choices;
}

QString WatchChoices::Text() const {
    QStringList parts;
    parts << (deep ? QStringLiteral("Deep Scan") : QStringLiteral("plain scan"));
    if (deep && minimumSize.width() > 0 && minimumSize.height() > 0)
        parts.last() += QStringLiteral(", pictures of at least %1x%2")
                            .arg(minimumSize.width())
                            .arg(minimumSize.height());
    if (followThumbnails)
        parts << QStringLiteral("following thumbnails to %1")
                     .arg(follow.takeAll ? QStringLiteral("every picture of their pages")
                                         : QStringLiteral("their main picture"));
    if (followThumbnails && follow.otherSites)
        parts << QStringLiteral("on other sites too");
    if (followThumbnails && !follow.match.isEmpty())
        parts << QStringLiteral("links containing \"%1\"").arg(follow.match);
    if (follow.nextPages > 0)
        parts << QStringLiteral("up to %1 next pages").arg(follow.nextPages);
    parts << QStringLiteral("files named %1").arg(names);
    if (writeInfo)
        parts << QStringLiteral("an info file beside each");
    return parts.join(QStringLiteral("; "));
}
