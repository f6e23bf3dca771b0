#pragma once

#include <QObject>

#include <vector>

class QWebEngineDownloadRequest;
class QWebEngineProfile;
class ViewerLoader;

// The hidden pages one follow loads its pages in, at most
// FollowOptions::MaxHiddenPages, so memory does not grow with the number of
// pages. They are made ahead, while the gallery page loads, so the first
// viewer pages wait for no engine process; they are made anew for each
// gallery page. The pages share the profile, and so the cookies, of the page
// the follow started from; their downloads are refused.
class ViewerPool : public QObject {
    Q_OBJECT
public:
    explicit ViewerPool(QWebEngineProfile* profile, QObject* parent = nullptr);
    ~ViewerPool() override;

    // Makes every page not made yet.
    void Fill();
    // An idle page, made when fewer than the most are; none when all are busy
    // or the pool is closed.
    ViewerLoader* Take();
    // Idle again; what it told others is cut off.
    void Give(ViewerLoader* loader);
    // Closes the page, which the next Take or Fill makes anew: a page whose
    // engine process grew on a big page does not keep that memory for the run.
    void Discard(ViewerLoader* loader);
    // Makes every idle page anew: an engine process serves one gallery page's
    // viewer pages, so what it keeps of them does not pile up over a run.
    void Renew();
    // Closes every page; they go once the events at hand are done.
    void Close();

private:
    ViewerLoader* Make();
    void RefuseDownload(QWebEngineDownloadRequest* download);

    QWebEngineProfile* profile;
    std::vector<ViewerLoader*> pages;
    std::vector<ViewerLoader*> idle;
    bool closed = false;
};
