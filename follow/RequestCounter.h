#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Counts the requests of one page; changes nothing about them.
class RequestCounter : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestCounter(QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    quint64 Count() const;

private:
    quint64 count = 0;
};
