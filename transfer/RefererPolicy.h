#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QUrl;

// The Referer header a browser sends with a request made from a page: by
// default strict-origin-when-cross-origin (the whole page address within its
// own origin, only the origin to another one, nothing from https to http),
// or the policy the page states (header, then <meta name="referrer">). An
// element's own policy (referrerpolicy, rel=noreferrer) counts for its
// addresses: of the two, the one that sends less wins.
class RefererPolicy {
public:
    // stated: the policies the page applied in order, joined by commas; the
    // last known policy name wins, unknown ones are ignored as browsers do.
    // elements: (address, policy) for the elements with a policy of their own.
    explicit RefererPolicy(const QString& stated = QString(),
                           const QList<QPair<QString, QString>>& elements = {});

    // The header value for a request from page to target, fetching the listed
    // address source; empty for none. Only http and https pages give one, and
    // only to http and https targets.
    QString RefererFor(const QUrl& page, const QUrl& target,
                       const QString& source = QString()) const;

    // The policy's rule, and the rules the elements of address state, by their
    // standard names: given back to the constructor they make the same policy
    // for that address, so a job can be kept and run again later.
    QString RuleName() const;
    QStringList ElementRuleNames(const QString& address) const;

private:
    enum class Rule {
        NoReferrer,
        NoReferrerWhenDowngrade,
        SameOrigin,
        Origin,
        StrictOrigin,
        OriginWhenCrossOrigin,
        StrictOriginWhenCrossOrigin,
        UnsafeUrl,
    };

    static bool LastKnownRule(const QString& stated, Rule& rule);
    static QString RefererBy(Rule rule, const QUrl& page, const QUrl& target);
    static QString NameOf(Rule rule);

    Rule rule = Rule::StrictOriginWhenCrossOrigin;
    QHash<QString, QList<Rule>> elementRules; // by address
};
