#include "frame/ScanCommands.h"

#include "core/CommandIds.h"
#include "core/Settings.h"
#include "frame/CMainFrame.h"
#include "view/CQuillmarView.h"

#include <QAction>

ScanCommands::ScanCommands(QWidget& frame, QAction& deepScanAction, SizeQuestion askSize)
    : QObject(&frame), frame(frame), deepScanAction(deepScanAction), askSize(std::move(askSize)) {
    deepScanAction.setChecked(Settings::DeepScan());
}

const CommandTable<ScanCommands>& ScanCommands::Commands() {
    static const CommandTable<ScanCommands> table = {
        {{ID_SCAN_DEEP, "&Deep Scan", {}, CommandEntry::Style::Checkable},
         &ScanCommands::ToggleDeepScan},
        {{ID_SCAN_MIN_SIZE, "&Minimum Picture Size..."}, &ScanCommands::AskMinimumSize},
    };
    return table;
}

bool ScanCommands::HandlesCommand(int id) const {
    return Commands().Handles(id);
}

void ScanCommands::OnCommand(int id) {
    Commands().Run(*this, id);
}

void ScanCommands::ToggleDeepScan() {
    Settings::SetDeepScan(!Settings::DeepScan());
    // The menu item follows the setting, whatever the click did to it.
    deepScanAction.setChecked(Settings::DeepScan());
    RescanActivePage();
}

void ScanCommands::AskMinimumSize() {
    const std::optional<QSize> size = askSize(&frame, Settings::MinimumPictureSize());
    if (size)
        SetMinimumSize(*size);
}

void ScanCommands::SetMinimumSize(const QSize& size) {
    if (size == Settings::MinimumPictureSize())
        return;
    Settings::SetMinimumPictureSize(size);
    emit minimumSizeChanged(Settings::MinimumPictureSize());
    if (Settings::DeepScan())
        RescanActivePage();
}

void ScanCommands::RescanActivePage() {
    const auto* mainFrame = qobject_cast<const CMainFrame*>(&frame);
    if (auto* view =
            qobject_cast<CQuillmarView*>(mainFrame ? mainFrame->ActiveViewWidget() : nullptr))
        view->Rescan();
}
