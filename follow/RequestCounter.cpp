#include "follow/RequestCounter.h"

RequestCounter::RequestCounter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestCounter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    ++count;
    const auto type = info.resourceType();
    if (type == QWebEngineUrlRequestInfo::ResourceTypeXhr)
        ++dataRequests;
    if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame)
        ++documents;
    // What the page's own timeline lists: neither its top document nor its icon.
    else if (type != QWebEngineUrlRequestInfo::ResourceTypeFavicon)
        ++subresources;
    if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
        info.requestUrl() == openedPage && !openedFrom.isEmpty())
        info.setHttpHeader(QByteArrayLiteral("Referer"), openedFrom);
}

quint64 RequestCounter::Count() const {
    return count;
}

quint64 RequestCounter::Subresources() const {
    return subresources;
}

quint64 RequestCounter::Documents() const {
    return documents;
}

quint64 RequestCounter::DataRequests() const {
    return dataRequests;
}

void RequestCounter::SetOpenedFrom(const QUrl& page, const QByteArray& referer) {
    openedPage = page;
    openedFrom = referer;
}
