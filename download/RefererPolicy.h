#pragma once

#include <QString>

class QUrl;

// The Referer header a browser sends with a request made from a page: by
// default strict-origin-when-cross-origin (the whole page address within its
// own origin, only the origin to another one, nothing from https to http),
// or the policy the page states in <meta name="referrer">.
class RefererPolicy {
public:
    // stated: the contents of the page's referrer meta elements in document
    // order, joined by commas; the last known policy name wins, unknown ones
    // are ignored as browsers do.
    explicit RefererPolicy(const QString& stated = QString());

    // The header value for a request from page to target; empty for none.
    // Only http and https pages give one, and only to http and https targets.
    QString RefererFor(const QUrl& page, const QUrl& target) const;

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

    Rule rule = Rule::StrictOriginWhenCrossOrigin;
};
