#pragma once

#include "follow/FollowOptions.h"
#include "harvest/DomSnapshot.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QUrl>

class CBrowserEngine;
class HiddenPage;
class QWebEngineLoadingInfo;
class QWebEngineProfile;

// One hidden engine view, 1280x800 as a reader's window, that loads viewer
// pages one after another: each is Deep-Scanned once it has settled (its
// document parsed and every picture it loads sized or failed, then neither
// requests nor DOM changes for a while: a moment when it looks done, half a
// second when not), or as it is when it has not settled in time. A picture
// that comes slowly is not waited for past its header. Exactly one of scanned
// or failed follows a Load. A page that timed out is closed and a fresh one
// made for the next Load.
class ViewerLoader : public QObject {
    Q_OBJECT
public:
    ViewerLoader(QWebEngineProfile* profile, QObject* parent);
    ~ViewerLoader() override;

    // referer: the header a browser would send from the page that led here; empty for none.
    void Load(const QUrl& viewer, const QString& referer,
              int timeoutMilliseconds = FollowOptions::PageMilliseconds);
    // Whether the page is ours: its downloads are refused.
    bool Owns(const QObject* page) const;

    static constexpr int QuietMilliseconds = 500;
    // Once every picture has loaded and every request the page made is answered.
    static constexpr int DoneQuietMilliseconds = 200;
    // While a data request seems unanswered (or answered where the count
    // cannot see it: a frame's, a failed one), the page must be quiet longer.
    static constexpr int PendingQuietMilliseconds = 2000;

signals:
    // location: where the page ended up, after redirects.
    void scanned(const PageSnapshot& snapshot, const QString& location);
    void failed(const QString& reason);

private:
    void MakePage();
    void ReplacePage();
    void OnLoadingChanged(const QWebEngineLoadingInfo& info);
    void OnCommitted();
    void Poll();
    bool IsCurrent(const QVariantMap& state) const;
    void Compare(const QVariantMap& state);
    int QuietNeeded(const QVariantMap& state) const;
    bool PicturesSized(const QVariantMap& state) const;
    void Scan();
    void DeadlinePassed();
    void Fail(const QString& reason);
    void Stop();

    QWebEngineProfile* profile;
    CBrowserEngine* engine = nullptr;
    HiddenPage* page = nullptr;
    QTimer pollTimer;
    QTimer deadline;
    QElapsedTimer quietSince;
    QString lastSignature;
    QString loadFailure;            // why the engine said the last load failed
    quint64 dataRequestsBefore = 0; // those of earlier viewer pages
    quint64 subresourcesBefore = 0;
    quint64 documentsAtCommit = 0; // documents asked for when the last one came
    int generation = 0;            // answers of scripts run for an earlier Load are dropped
    bool active = false;
    bool navigated = false; // this Load's navigation has started or its document come
    bool committed = false; // its document has come and is shown
    bool loaded = false;    // loaded whole
    bool loadFailed = false;
    bool parsed = false; // its document was seen parsed
    bool scanning = false;
    bool overtime = false;
};
