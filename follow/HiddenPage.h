#pragma once

#include "engine/ScanPage.h"

#include <QTimer>
#include <QUrl>

class RequestCounter;

// A page loaded for the program only, never seen (a page harvested without a
// window, a followed viewer page): muted, it opens no windows, its dialogs
// are dismissed and logins cancelled at once, so it is harvested whatever it
// asks, and it counts the requests it makes, so its loader can tell when it
// has settled. The pool of followed pages cancels their downloads.
class HiddenPage : public ScanPage {
    Q_OBJECT
public:
    HiddenPage(QWebEngineProfile* profile, QObject* parent);

    // Requests made since the page was made, the page's own documents included.
    quint64 Requests() const;
    // Data requests of its scripts (fetch, XMLHttpRequest) since it was made.
    quint64 DataRequests() const;
    // Requests for what its documents hold since it was made: not the documents
    // it opened, nor its icon.
    quint64 Subresources() const;
    // Requests for its top documents since it was made, redirects included.
    quint64 Documents() const;
    // Loads address as if opened from a link on a page that gives this
    // Referer, once its host's turn comes (HostSchedule); the milliseconds
    // until then. Another Open before that replaces it.
    int Open(const QUrl& address, const QString& referer);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;

private:
    RequestCounter* requests;
    QTimer turn; // until the host's turn of the address opened
    QUrl opened;
};
