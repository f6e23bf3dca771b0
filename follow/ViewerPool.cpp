#include "follow/ViewerPool.h"

#include "follow/FollowOptions.h"
#include "follow/ViewerLoader.h"

#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <algorithm>
#include <utility>

ViewerPool::ViewerPool(QWebEngineProfile* profile, QObject* parent)
    : QObject(parent), profile(profile) {
    connect(profile, &QWebEngineProfile::downloadRequested, this, &ViewerPool::RefuseDownload);
}

ViewerPool::~ViewerPool() = default;

void ViewerPool::Fill() {
    while (!closed && int(pages.size()) < FollowOptions::MaxHiddenPages)
        idle.push_back(Make());
}

ViewerLoader* ViewerPool::Take() {
    if (closed)
        return nullptr;
    if (idle.empty())
        return int(pages.size()) < FollowOptions::MaxHiddenPages ? Make() : nullptr;
    ViewerLoader* loader = idle.back();
    idle.pop_back();
    return loader;
}

void ViewerPool::Give(ViewerLoader* loader) {
    loader->disconnect();
    if (closed)
        return;
    idle.push_back(loader);
}

// Deleted later: a page may be in the middle of emitting.
void ViewerPool::Discard(ViewerLoader* loader) {
    pages.erase(std::remove(pages.begin(), pages.end(), loader), pages.end());
    loader->disconnect();
    loader->deleteLater();
}

void ViewerPool::Renew() {
    for (ViewerLoader* loader : std::exchange(idle, {}))
        Discard(loader);
    Fill();
}

void ViewerPool::Close() {
    closed = true;
    for (ViewerLoader* loader : pages) {
        loader->disconnect();
        loader->deleteLater();
    }
    pages.clear();
    idle.clear();
}

ViewerLoader* ViewerPool::Make() {
    pages.push_back(new ViewerLoader(profile, this));
    return pages.back();
}

void ViewerPool::RefuseDownload(QWebEngineDownloadRequest* download) {
    const auto ours = std::any_of(pages.begin(), pages.end(), [download](ViewerLoader* loader) {
        return loader->Owns(download->page());
    });
    if (ours)
        download->cancel();
}
