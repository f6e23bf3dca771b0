#pragma once

#include <QString>

class QUrl;

// Which addresses belong to the same site when following thumbnails. A site
// is approximated without a public suffix list: the host's last two labels,
// or three where the second-to-last is a common second-level label under a
// country code (example.co.uk, example.com.au). An IP address, localhost or
// any single-label host is a site of its own host; local files are one site.
class SiteRule {
public:
    static QString SiteOf(const QString& host);
    static bool SameSite(const QUrl& first, const QUrl& second);
};
