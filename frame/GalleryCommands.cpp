#include "frame/GalleryCommands.h"

#include "core/CommandIds.h"
#include "engine/CBrowserEngine.h"
#include "follow/PageFollow.h"
#include "frame/CMainFrame.h"
#include "view/CQuillmarView.h"

#include <QAction>

#include <algorithm>

GalleryCommands::GalleryCommands(CMainFrame& frame, QAction& skipSavedAction,
                                 FollowQuestion askFollow)
    : QObject(&frame), frame(frame), skipSavedAction(skipSavedAction),
      askFollow(std::move(askFollow)) {
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
}

bool GalleryCommands::HandlesCommand(int id) const {
    return id == ID_SCAN_FOLLOW || id == ID_VIEW_SKIP_SAVED;
}

bool GalleryCommands::IsCommandEnabled(int id) const {
    return id == ID_VIEW_SKIP_SAVED || (!follow && frame.ActiveViewWidget());
}

void GalleryCommands::OnCommand(int id) {
    if (id == ID_SCAN_FOLLOW)
        FollowThumbnails();
    else
        ToggleSkipSaved();
}

void GalleryCommands::FollowThumbnails() {
    auto* active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    if (!active || follow)
        return;
    const std::optional<FollowSettings> choices = askFollow(&frame, Settings::Follow());
    if (!choices)
        return;
    Settings::SetFollow(*choices);
    FollowOptions options;
    options.otherSites = choices->otherSites;
    options.match = choices->match;
    options.takeAll = choices->everyPicture;
    options.nextPages = choices->nextPages;
    options.minimumSize = Settings::MinimumPictureSize();
    view = active;
    pageChanged = false;
    follow = new PageFollow(*view->Engine(), view);
    connect(follow, &PageFollow::progress, this, &GalleryCommands::ShowProgress);
    connect(follow, &PageFollow::finished, this, &GalleryCommands::FollowEnded);
    connect(view, &CQuillmarView::stopRequested, follow, &PageFollow::Cancel);
    connect(view->Engine(), &CBrowserEngine::loadStarted, follow, [this] {
        pageChanged = true;
        follow->Cancel();
    });
    emit view->messageChanged(QStringLiteral("Following thumbnails..."));
    follow->Start(options);
}

// Shown through the window's own announcements, as its page loads are.
void GalleryCommands::ShowProgress(int done, int known) {
    emit view->progressChanged(done, known);
    emit view->messageChanged(
        QStringLiteral("Following %1 of %2 pages...").arg(std::min(done + 1, known)).arg(known));
}

void GalleryCommands::FollowEnded() {
    const std::optional<Harvest> result = follow->Result();
    const bool cancelled = follow->Cancelled();
    const int pages = follow->PagesLoaded();
    follow->deleteLater(); // it is emitting
    if (!view)
        return;
    emit view->progressCleared();
    emit view->messageChanged(cancelled ? QStringLiteral("Following stopped.")
                                        : QStringLiteral("Followed %1 pages.").arg(pages));
    if (!result || pageChanged)
        return;
    view->harvest = *result;
    if (view->IsActive()) {
        view->ShowOwnScan();
        emit view->downloadButtonsEnabled(true);
    }
}

void GalleryCommands::ToggleSkipSaved() {
    Settings::SetSkipSavedPictures(!Settings::SkipSavedPictures());
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
}
