#include "follow/RequestCounter.h"

RequestCounter::RequestCounter(QObject* parent) : QWebEngineUrlRequestInterceptor(parent) {}

void RequestCounter::interceptRequest(QWebEngineUrlRequestInfo&) {
    ++count;
}

quint64 RequestCounter::Count() const {
    return count;
}
