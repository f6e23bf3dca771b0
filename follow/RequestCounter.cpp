#include "follow/RequestCounter.h"

RequestCounter::RequestCounter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestCounter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    ++count;
    if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr)
        ++dataRequests;
}

quint64 RequestCounter::Count() const {
    return count;
}

quint64 RequestCounter::DataRequests() const {
    return dataRequests;
}
