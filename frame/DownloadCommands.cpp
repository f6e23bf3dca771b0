#include "frame/DownloadCommands.h"

#include "core/CommandIds.h"
#include "core/Limits.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "downloads/Downloads.h"
#include "frame/CDownloadReportDialog.h"
#include "frame/CFileNamesDialog.h"
#include "frame/CMainFrame.h"
#include "records/DownloadArchive.h"
#include "transfer/HostSchedule.h"
#include "view/CQuillmarView.h"

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>

#include <array>
#include <utility>

namespace {

// The Parallel Downloads choices, fewest first: the command and the count it stores.
constexpr std::array<std::pair<int, int>, 4> ParallelChoices = {{{ID_VIEW_PARALLEL_1, 1},
                                                                 {ID_VIEW_PARALLEL_2, 2},
                                                                 {ID_VIEW_PARALLEL_4, 4},
                                                                 {ID_VIEW_PARALLEL_8, 8}}};

} // namespace

DownloadCommands::DownloadCommands(CMainFrame& frame)
    : QObject(&frame), frame(frame), skipSavedAction(*frame.CommandAction(ID_VIEW_SKIP_SAVED)) {
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
    auto* choices = new QActionGroup(this);
    for (const auto& [id, count] : ParallelChoices)
        choices->addAction(frame.CommandAction(id));
    // Shown afresh whenever the choices' menu opens, so another window of the
    // program that changed the setting is seen.
    for (QObject* holder : frame.CommandAction(ID_VIEW_PARALLEL_1)->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder))
            connect(menu, &QMenu::aboutToShow, this, &DownloadCommands::ShowParallelChoice);
    ShowParallelChoice();
    HostSchedule::Shared().SetWait(Settings::RequestWaitSeconds(), false);
}

const CommandTable<DownloadCommands>& DownloadCommands::Commands() {
    static const CommandTable<DownloadCommands> table = {
        {{ID_VIEW_DOWNLOAD_REPORT, "&Download Report...\tCtrl+J", {Qt::CTRL | Qt::Key_J}},
         &DownloadCommands::ShowReport},
        {{ID_FILE_PAUSE_DOWNLOADS, "&Pause All Downloads"}, &DownloadCommands::PauseAll},
        {{ID_FILE_RESUME_DOWNLOADS, "Res&ume All Downloads"}, &DownloadCommands::ResumeAll},
        {{ID_VIEW_SKIP_SAVED, "S&kip Pictures Already Saved", {}, CommandEntry::Style::Checkable},
         &DownloadCommands::ToggleSkipSaved},
        {{ID_VIEW_FORGET_SAVED, "&Forget Pictures Saved to This Folder..."},
         &DownloadCommands::ForgetSaved},
        {{ID_VIEW_SPEED_LIMIT, "Download Speed &Limit..."}, &DownloadCommands::SetSpeedLimit},
        {{ID_VIEW_REQUEST_WAIT, "&Wait Between Requests..."}, &DownloadCommands::SetRequestWait},
        {{ID_VIEW_FILE_NAMES, "File &Names..."}, &DownloadCommands::SetFileNames},
        {{ID_VIEW_PARALLEL_1, "&1", {}, CommandEntry::Style::Checkable},
         &DownloadCommands::ChooseParallel<1>},
        {{ID_VIEW_PARALLEL_2, "&2", {}, CommandEntry::Style::Checkable},
         &DownloadCommands::ChooseParallel<2>},
        {{ID_VIEW_PARALLEL_4, "&4", {}, CommandEntry::Style::Checkable},
         &DownloadCommands::ChooseParallel<4>},
        {{ID_VIEW_PARALLEL_8, "&8", {}, CommandEntry::Style::Checkable},
         &DownloadCommands::ChooseParallel<8>},
    };
    return table;
}

bool DownloadCommands::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

bool DownloadCommands::IsCommandEnabled(int id) const {
    switch (id) {
    case ID_FILE_PAUSE_DOWNLOADS:
        return frame.Downloads().AnyRunning(false);
    case ID_FILE_RESUME_DOWNLOADS:
        return frame.Downloads().AnyRunning(true);
    case ID_VIEW_FORGET_SAVED:
        return !DownloadFolder().isEmpty();
    default:
        return true;
    }
}

void DownloadCommands::OnCommand(int id) {
    Commands().Run(*this, id);
}

void DownloadCommands::ShowReport() {
    CDownloadReportDialog::ShowFor(frame, frame.Downloads());
}

void DownloadCommands::PauseAll() {
    frame.Downloads().SetAllPaused(true);
}

void DownloadCommands::ResumeAll() {
    frame.Downloads().SetAllPaused(false);
}

void DownloadCommands::ToggleSkipSaved() {
    Settings::SetSkipSavedPictures(!Settings::SkipSavedPictures());
    skipSavedAction.setChecked(Settings::SkipSavedPictures());
}

// The record is kept per folder: forgetting it makes the next download into the
// folder fetch every picture again, whatever the switch says.
void DownloadCommands::ForgetSaved() {
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

QString DownloadCommands::DownloadFolder() const {
    const auto* active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    return active && active->DownloadFolderChosen() ? active->DownloadFolder() : QString();
}

// Downloads, those running included, keep within the limit.
void DownloadCommands::SetSpeedLimit() {
    QInputDialog dialog(&frame);
    dialog.setWindowTitle(QStringLiteral("Download Speed Limit"));
    dialog.setLabelText(QStringLiteral("KB/s all downloads may take together (0: no limit):"));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(0, Limits::MaxDownloadSpeedLimit);
    dialog.setIntValue(Settings::DownloadSpeedLimit());
    if (Prompts::current().runModal(dialog) == QDialog::Accepted) {
        Downloads::SetSpeedLimit(qint64(dialog.intValue()) * 1024);
    }
}

// The downloads and the following of every window keep to the wait from now on.
void DownloadCommands::SetRequestWait() {
    QInputDialog dialog(&frame);
    dialog.setWindowTitle(QStringLiteral("Wait Between Requests"));
    dialog.setLabelText(
        QStringLiteral("Seconds between two requests to one site, for each file downloaded\n"
                       "and each page followed (0: no wait):"));
    dialog.setInputMode(QInputDialog::DoubleInput);
    dialog.setDoubleDecimals(1);
    dialog.setDoubleRange(0, Limits::MaxRequestWaitSeconds);
    dialog.setDoubleValue(Settings::RequestWaitSeconds());
    if (Prompts::current().runModal(dialog) == QDialog::Accepted) {
        Settings::SetRequestWaitSeconds(dialog.doubleValue());
        HostSchedule::Shared().SetWait(Settings::RequestWaitSeconds(), false);
    }
}

// Downloads started from now on are named so; the preview shows the active
// window's first lines as a download would name them.
void DownloadCommands::SetFileNames() {
    const QPointer<CQuillmarView> active = qobject_cast<CQuillmarView*>(frame.ActiveViewWidget());
    CFileNamesDialog dialog(
        Settings::DownloadFileNames(),
        [active](const NameTemplate& names) {
            return active ? active->WindowDownloads().PreviewNames(names,
                                                                   CFileNamesDialog::PreviewCount)
                          : QStringList();
        },
        &frame);
    if (Prompts::current().runModal(dialog) == QDialog::Accepted)
        Settings::SetDownloadFileNames(dialog.Choices());
}

// How many files one download command fetches at once, from its next download on.
template <int Count> void DownloadCommands::ChooseParallel() {
    Settings::SetParallelDownloads(Count);
    ShowParallelChoice();
}

// A stored count that is not one of the choices (set by hand) checks the
// largest choice below it.
void DownloadCommands::ShowParallelChoice() {
    const int stored = Settings::ParallelDownloads();
    int shown = ParallelChoices.front().first;
    for (const auto& [id, count] : ParallelChoices)
        if (count <= stored)
            shown = id;
    frame.CommandAction(shown)->setChecked(true);
}
