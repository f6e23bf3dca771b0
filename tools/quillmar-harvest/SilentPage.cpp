#include "SilentPage.h"

#include <QAuthenticator>

namespace {

// A null authenticator tells the engine the login was cancelled.
void cancelLogin(QAuthenticator* authenticator) {
    *authenticator = QAuthenticator();
}

} // namespace

SilentPage::SilentPage(QObject* parent) : ScanPage(parent) {
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator) { cancelLogin(authenticator); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [](const QUrl&, QAuthenticator* authenticator, const QString&) {
                cancelLogin(authenticator);
            });
}

void SilentPage::javaScriptAlert(const QUrl&, const QString&) {}

bool SilentPage::javaScriptConfirm(const QUrl&, const QString&) {
    return false;
}

bool SilentPage::javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) {
    return false;
}
