#pragma once

#include "core/CommandTarget.h"
#include "core/Settings.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class CMainFrame;
class CQuillmarView;
class PageFollow;
class QAction;
class QWidget;

// Follow Thumbnails on the active window's page, and the Skip Pictures
// Already Saved switch. A follow shows "Following N of M pages..." on the
// progress meter and the message line of its window, ends at once on Stop or
// when the window loads another page, and gives the window its new lists.
class GalleryCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Asks for the follow choices, given the last ones; nothing when cancelled.
    using FollowQuestion = std::function<std::optional<FollowSettings>(
        QWidget* parent, const FollowSettings& current)>;

    GalleryCommands(CMainFrame& frame, QAction& skipSavedAction, FollowQuestion askFollow);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

private:
    void FollowThumbnails();
    void ShowProgress(int done, int known);
    void FollowEnded();
    void ToggleSkipSaved();

    CMainFrame& frame;
    QAction& skipSavedAction;
    FollowQuestion askFollow;
    QPointer<CQuillmarView> view; // the window followed in
    QPointer<PageFollow> follow;  // set while following
    bool pageChanged = false;     // the window loaded another page meanwhile
};
