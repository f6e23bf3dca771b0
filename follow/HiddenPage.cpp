#include "follow/HiddenPage.h"

#include "follow/RequestCounter.h"
#include "transfer/HostSchedule.h"

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
    turn.setSingleShot(true);
    connect(&turn, &QTimer::timeout, this, [this] { load(opened); });
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

int HiddenPage::Open(const QUrl& address, const QString& referer) {
    requests->SetOpenedFrom(address, referer.toUtf8());
    const auto now = HostSchedule::Clock::now();
    const int wait = int(std::chrono::ceil<std::chrono::milliseconds>(
                             HostSchedule::Shared().Book(address, now) - now)
                             .count());
    turn.stop();
    if (wait <= 0) {
        load(address);
        return 0;
    }
    opened = address;
    turn.start(wait);
    return wait;
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
