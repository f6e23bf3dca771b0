#pragma once

#include "downloads/JobBuilder.h"
#include "harvest/DomSnapshot.h"
#include "transfer/RefererPolicy.h"

#include <QJsonObject>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <optional>

class QPrinter;
class QWebEnginePage;
class QWebEngineView;
class ScanPage;
class ShownPageScan;

// The embedded browser engine of one view (Qt WebEngine).
class CBrowserEngine : public QWidget {
    Q_OBJECT
public:
    explicit CBrowserEngine(QWidget* parent = nullptr);
    ~CBrowserEngine() override;

    // Shows the built-in about page from the program's resources.
    void LoadAboutPage();
    // Loads an address as a browser's address bar would read it; false, and
    // nothing loaded, when the text cannot be made an address.
    bool Navigate(const QString& address);
    void GoBack();
    void GoForward();
    void Reload();
    void Stop();
    // Prints the page shown; done(success) runs when printing has finished.
    void Print(QPrinter& printer, std::function<void(bool)> done);
    // The address of the page shown.
    QString Location() const;
    // Reads the document type and the DOM of the page shown and of all its
    // reachable frames; done runs later on this thread, and never once this
    // engine is destroyed.
    void TakeSnapshot(std::function<void(const PageSnapshot&)> done);
    // Whether pages loaded from now on scan themselves when shown, for TakeLoadSnapshot.
    void ScanPagesWhenShown(bool enabled);
    // The snapshot of the page as its load left it: the page's own scan from
    // when it was shown if that has come or comes before a fresh TakeSnapshot
    // answers. Only the first call after a load can use the page's scan.
    void TakeLoadSnapshot(std::function<void(const PageSnapshot&)> done);
    // The referrer policy of the page and its elements when the last snapshot was taken.
    RefererPolicy StatedReferrerPolicy() const;
    // The page shown as its downloads present it: address, stated Referer
    // policy and the profile's cookies.
    JobOrigin DownloadOrigin() const;
    // Whether Deep Scan also reads where the page draws each picture and where
    // its link leads: following thumbnails needs it, and it costs a box per image.
    enum class Placements { Skip, Read };
    // The same with the Deep Scan script: first asks frames of other origins
    // for their findings and waits a moment for their answers.
    void TakeDeepSnapshot(std::function<void(const PageSnapshot&)> done,
                          Placements placements = Placements::Skip);

    QWebEngineView* WebView() const;
    // Shows page (owned by the view from now on) in place of the engine's own,
    // with the frame listener Deep Scan needs.
    void SetPage(ScanPage* page);
    QWebEnginePage* Page() const;

    // The address of the built-in about page.
    static QUrl AboutPageUrl();

signals:
    void loadStarted();
    void loadFinished(bool succeeded);
    void progressChange(int progress, int maximum);
    void titleChange(const QString& title);

private:
    void connectEngineEvents();
    void finishPrinting(bool success);
    static const QString& scanScript();
    static const QString& deepScanScript();
    static const QString& shownScanScript();
    static QString referrerTask();
    void forgetShownScan();
    void takeShownScan(const QVariantMap& report);
    void answerLoadSnapshot(PageSnapshot snapshot);
    void refreshReferrerPolicy();
    void installFrameListener();
    void awaitFrameAnswers(int asked, int triesLeft, Placements placements,
                           std::function<void(const PageSnapshot&)> done);
    void runDeepScan(Placements placements, std::function<void(const PageSnapshot&)> done);
    void readReferrer(PageSnapshot snapshot, std::function<void(const PageSnapshot&)> done);
    void keepReferrerPolicy(const PageSnapshot& snapshot);

    QWebEngineView* view;
    // The number of the last Deep Scan question to the frames, and their
    // answers to it by frame path.
    int askNumber = 0;
    QJsonObject frameAnswers;
    std::function<void(bool)> printDone;
    ShownPageScan* shownScan = nullptr;
    bool scansWhenShown = false;
    // Until the first TakeLoadSnapshot after a load is answered: the page's own
    // scan, once reported, and the caller waiting for either answer.
    bool loadSnapshotOpen = false;
    quint64 loadsStarted = 0;
    bool addressSinceLoadStarted = false; // the address changed since the last load started
    std::optional<PageSnapshot> shownSnapshot;
    std::function<void(const PageSnapshot&)> loadSnapshotDone;
    RefererPolicy statedReferrerPolicy;
    // Cleared while the engine is destroyed, so late script answers are dropped.
    bool answersSnapshots = true;
};
