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
class QWidget;

// Follow Thumbnails on the active window's page, with the choices asked for
// here and the follow run by the window's view, one at a time.
class FollowCommands : public QObject, public CommandTarget {
    Q_OBJECT
public:
    // Asks for the follow choices, given the last ones; nothing when cancelled.
    using FollowQuestion = std::function<std::optional<FollowSettings>(
        QWidget* parent, const FollowSettings& current)>;

    FollowCommands(CMainFrame& frame, FollowQuestion askFollow);

    static const CommandTable<FollowCommands>& Commands();
    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;
    bool IsCommandEnabled(int id) const override;

private:
    void FollowThumbnails();
    bool Following() const;

    CMainFrame& frame;
    FollowQuestion askFollow;
    QPointer<CQuillmarView> followed; // the window followed in last
};
