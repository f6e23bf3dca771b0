#include "transfer/RefererPolicy.h"

#include <QHash>
#include <QUrl>

namespace {

bool isWeb(const QUrl& address) {
    return address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https");
}

int defaultPort(const QUrl& address) {
    return address.scheme() == QLatin1String("https") ? 443 : 80;
}

int effectivePort(const QUrl& address) {
    return address.port(defaultPort(address));
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && effectivePort(a) == effectivePort(b);
}

// Leaving https for anything else.
bool isDowngrade(const QUrl& page, const QUrl& target) {
    return page.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https");
}

// The address without credentials, fragment or the scheme's own port number.
QUrl stripped(const QUrl& page) {
    QUrl address = page.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    if (address.port() == defaultPort(address))
        address.setPort(-1);
    return address;
}

QString originOf(const QUrl& page) {
    return stripped(page)
               .adjusted(QUrl::RemovePath | QUrl::RemoveQuery)
               .toString(QUrl::FullyEncoded) +
           QLatin1Char('/');
}

// Browsers send only the origin instead of a longer address.
constexpr qsizetype MaxFullLength = 4096;

QString fullAddressOf(const QUrl& page) {
    const QString full = stripped(page).toString(QUrl::FullyEncoded);
    return full.size() > MaxFullLength ? originOf(page) : full;
}

} // namespace

RefererPolicy::RefererPolicy(const QString& stated,
                             const QList<QPair<QString, QString>>& elements) {
    LastKnownRule(stated, rule);
    for (const auto& [address, policy] : elements) {
        Rule own = rule;
        if (LastKnownRule(policy, own))
            elementRules[address].append(own);
    }
}

// False when stated names no known policy.
bool RefererPolicy::LastKnownRule(const QString& stated, Rule& found) {
    // Older names, still understood by browsers, map onto the current ones.
    static const QHash<QString, Rule> names{
        {QStringLiteral("no-referrer"), Rule::NoReferrer},
        {QStringLiteral("never"), Rule::NoReferrer},
        {QStringLiteral("no-referrer-when-downgrade"), Rule::NoReferrerWhenDowngrade},
        {QStringLiteral("default"), Rule::NoReferrerWhenDowngrade},
        {QStringLiteral("same-origin"), Rule::SameOrigin},
        {QStringLiteral("origin"), Rule::Origin},
        {QStringLiteral("strict-origin"), Rule::StrictOrigin},
        {QStringLiteral("origin-when-cross-origin"), Rule::OriginWhenCrossOrigin},
        {QStringLiteral("origin-when-crossorigin"), Rule::OriginWhenCrossOrigin},
        {QStringLiteral("strict-origin-when-cross-origin"), Rule::StrictOriginWhenCrossOrigin},
        {QStringLiteral("unsafe-url"), Rule::UnsafeUrl},
        {QStringLiteral("always"), Rule::UnsafeUrl},
    };
    bool known = false;
    const QStringList tokens = stated.split(QLatin1Char(','));
    for (const QString& token : tokens) {
        const auto named = names.constFind(token.trimmed().toLower());
        if (named != names.constEnd()) {
            found = *named;
            known = true;
        }
    }
    return known;
}

QString RefererPolicy::RefererFor(const QUrl& page, const QUrl& target,
                                  const QString& source) const {
    QString referer = RefererBy(rule, page, target);
    for (const Rule own : elementRules.value(source)) {
        const QString element = RefererBy(own, page, target);
        if (element.size() < referer.size())
            referer = element;
    }
    return referer;
}

QString RefererPolicy::RuleName() const {
    return NameOf(rule);
}

QStringList RefererPolicy::ElementRuleNames(const QString& address) const {
    QStringList names;
    for (const Rule own : elementRules.value(address))
        names.append(NameOf(own));
    return names;
}

QString RefererPolicy::NameOf(Rule rule) {
    switch (rule) {
    case Rule::NoReferrer:
        return QStringLiteral("no-referrer");
    case Rule::NoReferrerWhenDowngrade:
        return QStringLiteral("no-referrer-when-downgrade");
    case Rule::SameOrigin:
        return QStringLiteral("same-origin");
    case Rule::Origin:
        return QStringLiteral("origin");
    case Rule::StrictOrigin:
        return QStringLiteral("strict-origin");
    case Rule::OriginWhenCrossOrigin:
        return QStringLiteral("origin-when-cross-origin");
    case Rule::StrictOriginWhenCrossOrigin:
        return QStringLiteral("strict-origin-when-cross-origin");
    case Rule::UnsafeUrl:
        return QStringLiteral("unsafe-url");
    }
    return QString();
}

QString RefererPolicy::RefererBy(Rule rule, const QUrl& page, const QUrl& target) {
    if (!isWeb(page) || !isWeb(target))
        return QString();
    const bool same = sameOrigin(page, target);
    const bool downgrade = isDowngrade(page, target);
    switch (rule) {
    case Rule::NoReferrer:
        return QString();
    case Rule::NoReferrerWhenDowngrade:
        return downgrade ? QString() : fullAddressOf(page);
    case Rule::SameOrigin:
        return same ? fullAddressOf(page) : QString();
    case Rule::Origin:
        return originOf(page);
    case Rule::StrictOrigin:
        return downgrade ? QString() : originOf(page);
    case Rule::OriginWhenCrossOrigin:
        return same ? fullAddressOf(page) : originOf(page);
    case Rule::StrictOriginWhenCrossOrigin:
        return same ? fullAddressOf(page) : downgrade ? QString() : originOf(page);
    case Rule::UnsafeUrl:
        return fullAddressOf(page);
    }
    return QString();
}
