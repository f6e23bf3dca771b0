#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <QObject>

class CMainFrame;
class QAction;

// The commands over downloads as a whole, at hand with or without a browser
// window: the Download Report, Pause and Resume All, and the settings every
// download started from then on follows (Skip Pictures Already Saved and the
// record it reads, the speed limit, file names, Parallel Downloads).
class DownloadCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // The frame's menus hold the commands' actions already.
    explicit DownloadCommands(CMainFrame& frame);

    static const CommandTable<DownloadCommands>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

private:
    void ShowReport();
    void PauseAll();
    void ResumeAll();
    void ToggleSkipSaved();
    void ForgetSaved();
    // The active window's download folder; empty when it has none.
    QString DownloadFolder() const;
    void SetSpeedLimit();
    void SetRequestWait();
    void SetFileNames();
    template <int Count> void ChooseParallel();
    void ShowParallelChoice();

    CMainFrame& frame;
    QAction& skipSavedAction;
};
