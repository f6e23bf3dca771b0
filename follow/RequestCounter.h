#pragma once

#include <QByteArray>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

// Counts the requests of one page, and among them the data requests of its
// scripts (fetch and XMLHttpRequest). Adds the Referer a browser would have
// sent to the page's own address when it was opened from a link.
class RequestCounter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestCounter(QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    quint64 Count() const;
    quint64 DataRequests() const;
    // Requests for what the page's documents hold (pictures, scripts, frames, data).
    quint64 Subresources() const;
    // Requests for the page's top documents, redirects included.
    quint64 Documents() const;
    // referer: empty for none.
    void SetOpenedFrom(const QUrl& page, const QByteArray& referer);

private:
    quint64 count = 0;
    quint64 dataRequests = 0;
    quint64 subresources = 0;
    quint64 documents = 0;
    QUrl openedPage;
    QByteArray openedFrom;
};
