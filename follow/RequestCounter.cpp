#include "follow/RequestCounter.h"

RequestCounter::RequestCounter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestCounter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    ++count;
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr)
        ++dataRequests;
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
        info.requestUrl() == openedPage && !openedFrom.isEmpty())
        info.setHttpHeader(QByteArrayLiteral("Referer"), openedFrom);
}

quint64 RequestCounter::Count() const {
    return count;
}

quint64 RequestCounter::DataRequests() const {
    return dataRequests;
}

void RequestCounter::SetOpenedFrom(const QUrl& page, const QByteArray& referer) {
    openedPage = page;
    openedFrom = referer;
}
