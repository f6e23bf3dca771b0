#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"
#include "core/Settings.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class CMainFrame;
class CQuillmarView;
class QAction;
class QWidget;

// Follow Thumbnails on the active window's page, with the choices asked for
// here and the follow run by the window's view, one at a time; and the Skip
// Pictures Already Saved switch with the command that forgets the record it reads,
// the download speed limit and how saved files are named.
class GalleryCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Asks for the follow choices, given the last ones; nothing when cancelled.
    using FollowQuestion = std::function<std::optional<FollowSettings>(
        QWidget* parent, const FollowSettings& current)>;

    GalleryCommands(CMainFrame& frame, QAction& skipSavedAction, FollowQuestion askFollow);

    static const CommandTable<GalleryCommands>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

private:
    void FollowThumbnails();
    bool Following() const;
    void ToggleSkipSaved();
    void ForgetSaved();
    // The active window's download folder; empty when it has none.
    QString DownloadFolder() const;
    void SetSpeedLimit();
    void SetFileNames();

    CMainFrame& frame;
    QAction& skipSavedAction;
    FollowQuestion askFollow;
    QPointer<CQuillmarView> followed; // the window followed in last
};
