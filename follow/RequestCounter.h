#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Counts the requests of one page, and among them the data requests of its
// scripts (fetch and XMLHttpRequest); changes nothing about them.
class RequestCounter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestCounter(QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    quint64 Count() const;
    quint64 DataRequests() const;

private:
    quint64 count = 0;
    quint64 dataRequests = 0;
};
