#pragma once

#include "view/ScanPage.h"

// A page whose dialogs nobody is there to answer: alerts are dismissed,
// confirmations (leaving the page included), prompts and logins cancelled at
// once, so a page that asks something while it loads is still harvested.
class SilentPage : public ScanPage {
    Q_OBJECT
public:
    explicit SilentPage(QObject* parent = nullptr);

protected:
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
};
