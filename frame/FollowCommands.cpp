#include "frame/FollowCommands.h"

#include "core/CommandIds.h"
#include "follow/FollowOptions.h"
#include "frame/CMainFrame.h"
#include "view/CQuillmarView.h"

FollowCommands::FollowCommands(CMainFrame& frame, FollowQuestion askFollow)
    : QObject(&frame), frame(frame), askFollow(std::move(askFollow)) {}

const CommandTable<FollowCommands>& FollowCommands::Commands() {
    static const CommandTable<FollowCommands> table = {
        {{ID_SCAN_FOLLOW,
          "&Follow Thumbnails...\tCtrl+Shift+F",
          {Qt::CTRL | Qt::SHIFT | Qt::Key_F}},
         &FollowCommands::FollowThumbnails},
    };
    return table;
}

bool FollowCommands::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

bool FollowCommands::IsCommandEnabled(int) const {
    return !Following() && frame.ActiveViewWidget();
}

void FollowCommands::OnCommand(int id) {
    Commands().Run(*this, id);
}

bool FollowCommands::Following() const {
    return followed && followed->IsFollowing();
}

void FollowCommands::FollowThumbnails() {
    auto* active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    if (!active || Following())
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
    followed = active;
    active->FollowThumbnails(options);
}
