#include "follow/SiteRule.h"

#include <QHostAddress>
#include <QSet>
#include <QStringList>
#include <QUrl>

namespace {

bool isSecondLevelLabel(const QString& label) {
    static const QSet<QString> common = {
        QStringLiteral("ac"),  QStringLiteral("co"),  QStringLiteral("com"), QStringLiteral("edu"),
        QStringLiteral("gov"), QStringLiteral("gob"), QStringLiteral("ltd"), QStringLiteral("mil"),
        QStringLiteral("ne"),  QStringLiteral("net"), QStringLiteral("nic"), QStringLiteral("or"),
        QStringLiteral("org"), QStringLiteral("plc"), QStringLiteral("sch")};
    return common.contains(label);
}

} // namespace

QString SiteRule::SiteOf(const QString& host) {
    QString name = host.toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (QHostAddress().setAddress(name) || name == QLatin1String("localhost"))
        return name;
    const QStringList labels = name.split(QLatin1Char('.'));
    if (labels.size() <= 2)
        return name;
    const bool countryCode = labels.last().size() == 2;
    const int kept = countryCode && isSecondLevelLabel(labels.at(labels.size() - 2)) ? 3 : 2;
    return labels.mid(labels.size() - kept).join(QLatin1Char('.'));
}

bool SiteRule::SameSite(const QUrl& first, const QUrl& second) {
    if (first.isLocalFile() || second.isLocalFile())
        return first.isLocalFile() && second.isLocalFile();
    return !first.host().isEmpty() && SiteOf(first.host()) == SiteOf(second.host());
}
