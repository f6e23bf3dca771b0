#pragma once

#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

class QUrl;
class QWebEngineProfile;

// Keeps local pages from reading the contents of other local files. The
// engine lets a file: page load any file: address, and a page that reads a
// file's text can hand it on in an address it lists, which a download then
// sends out. Local pages still show the pictures, media and fonts they name,
// and the style sheets, scripts and frames whose file names say they are such.
class LocalFileGuard : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    // Guards every page of the profile from now on; the profile owns the guard.
    static void Protect(QWebEngineProfile* profile);
    // Whether a request of this type may load target.
    static bool Allows(QWebEngineUrlRequestInfo::ResourceType type, const QUrl& target);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

private:
    explicit LocalFileGuard(QObject* parent);
};
