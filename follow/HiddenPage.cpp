#include "follow/HiddenPage.h"

#include "follow/RequestCounter.h"

#include <QAuthenticator>

namespace {

// A null authenticator tells the engine the login was cancelled.
void cancelLogin(QAuthenticator* authenticator) {
    *authenticator = QAuthenticator();
}

} // namespace

HiddenPage::HiddenPage(QWebEngineProfile* profile, QObject* parent)
    : ScanPage(profile, parent), requests(new RequestCounter(this)) {
    setAudioMuted(true);
    setUrlRequestInterceptor(requests);
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { cancelLogin(authenticator); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                cancelLogin(authenticator);
            });
    connect(this, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl& origin, Feature feature) {
                setFeaturePermission(origin, feature, PermissionDeniedByUser);
            });
}

quint64 HiddenPage::Requests() const {
    return requests->Count();
}

quint64 HiddenPage::Subresources() const {
    return requests->Subresources();
}

quint64 HiddenPage::Documents() const {
    return requests->Documents();
}

quint64 HiddenPage::DataRequests() const {
    return requests->DataRequests();
}

void HiddenPage::Open(const QUrl& address, const QString& referer) {
    requests->SetOpenedFrom(address, referer.toUtf8());
    load(address);
}

QWebEnginePage* HiddenPage::createWindow(WebWindowType) {
    return nullptr;
}

void HiddenPage::javaScriptAlert(const QUrl&, const QString&) {}

bool HiddenPage::javaScriptConfirm(const QUrl&, const QString&) {
    return false;
}

bool HiddenPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
    return false;
}
