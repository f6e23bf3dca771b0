#include "frame/GalleryCommands.h"

#include "core/CommandIds.h"
#include "core/Limits.h"
#include "core/Prompts.h"
#include "download/DownloadArchive.h"
#include "download/ReportDownloadSink.h"
#include "follow/FollowOptions.h"
#include "frame/CFileNamesDialog.h"
#include "frame/CMainFrame.h"
#include "view/CQuillmarView.h"

#include <QAction>
#include <QInputDialog>

GalleryCommands::GalleryCommands(CMainFrame& frame, QAction& skipSavedAction,
                                 FollowQuestion askFollow)
    : QObject(&frame), frame(frame), skipSavedAction(skipSavedAction),
      askFollow(std::move(askFollow)) {
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
}

const CommandTable<GalleryCommands>& GalleryCommands::Commands() {
    static const CommandTable<GalleryCommands> table = {
        {{ID_SCAN_FOLLOW,
          "&Follow Thumbnails...\tCtrl+Shift+F",
          {Qt::CTRL | Qt::SHIFT | Qt::Key_F}},
         &GalleryCommands::FollowThumbnails},
        {{ID_VIEW_SKIP_SAVED, "S&kip Pictures Already Saved", {}, CommandEntry::Style::Checkable},
         &GalleryCommands::ToggleSkipSaved},
        {{ID_VIEW_FORGET_SAVED, "&Forget Pictures Saved to This Folder..."},
         &GalleryCommands::ForgetSaved},
        {{ID_VIEW_SPEED_LIMIT, "Download Speed &Limit..."}, &GalleryCommands::SetSpeedLimit},
        {{ID_VIEW_FILE_NAMES, "File &Names..."}, &GalleryCommands::SetFileNames},
    };
    return table;
}

bool GalleryCommands::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

bool GalleryCommands::IsCommandEnabled(int id) const {
    if (id == ID_VIEW_FORGET_SAVED)
        return !DownloadFolder().isEmpty();
    return id == ID_VIEW_SKIP_SAVED || id == ID_VIEW_SPEED_LIMIT || id == ID_VIEW_FILE_NAMES ||
           (!Following() && frame.ActiveViewWidget());
}

void GalleryCommands::OnCommand(int id) {
    Commands().Run(*this, id);
}

bool GalleryCommands::Following() const {
    return followed && followed->IsFollowing();
}

void GalleryCommands::FollowThumbnails() {
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

void GalleryCommands::ToggleSkipSaved() {
    Settings::SetSkipSavedPictures(!Settings::SkipSavedPictures());
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
}

// The record is kept per folder: forgetting it makes the next download into the
// folder fetch every picture again, whatever the switch says.
void GalleryCommands::ForgetSaved() {
    const QString folder = DownloadFolder();
    if (folder.isEmpty() ||
        !Prompts::current().askYesNo(
            &frame,
            QStringLiteral("Forget which pictures were saved to %1? They will be downloaded again.")
                .arg(folder),
            QStringLiteral("Forget Pictures Saved")))
        return;
    if (!DownloadArchive::ForFolder(folder)->Forget()) {
        Prompts::current().message(
            &frame, QStringLiteral("The record of %1 could not be changed.").arg(folder),
            QStringLiteral("Forget Pictures Saved"), Prompts::Icon::Exclamation);
        return;
    }
    frame.ShowMessage(QStringLiteral("Forgot which pictures were saved to %1.").arg(folder));
}

QString GalleryCommands::DownloadFolder() const {
    const auto* active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    return active && active->DownloadFolderChosen() ? active->DownloadFolder() : QString();
}

// Downloads, those running included, keep within the limit.
void GalleryCommands::SetSpeedLimit() {
    QInputDialog dialog(&frame);
    dialog.setWindowTitle(QStringLiteral("Download Speed Limit"));
    dialog.setLabelText(QStringLiteral("KB/s all downloads may take together (0: no limit):"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(0, Limits::MaxDownloadSpeedLimit);
    dialog.setIntValue(Settings::DownloadSpeedLimit());
    if (Prompts::current().runModal(dialog) == QDialog::Accepted) {
        Settings::SetDownloadSpeedLimit(dialog.intValue());
        ReportDownloadSink::SharedPace();
    }
}

// Downloads started from now on are named so; the preview shows the active
// window's first lines as a download would name them.
void GalleryCommands::SetFileNames() {
    const QPointer<CQuillmarView> active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    CFileNamesDialog dialog(
        Settings::DownloadFileNames(),
        [active](const NameTemplate& names) {
            return active ? active->PreviewNames(names, CFileNamesDialog::PreviewCount)
                          : QStringList();
        },
        &frame);
    if (Prompts::current().runModal(dialog) == QDialog::Accepted)
        Settings::SetDownloadFileNames(dialog.Choices());
}
