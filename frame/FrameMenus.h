#pragma once

#include "core/CommandTable.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>

class CommandRouter;
class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;

// The frame's two menu bars (one while no browser window is open, one while
// there is) and its keys; one action per command id, shared by both, made
// from the command owners' entries. The Window menu also lists the open
// browser windows.
class FrameMenus : public QObject {
    Q_OBJECT
public:
    FrameMenus(QMainWindow& frame, QMdiArea& windows, CommandRouter& router,
               const QList<CommandEntry>& commands);

    QAction* Action(int id) const;
    // Shows the menus for an open browser window, or those for none.
    void ShowWindowMenus(bool windowOpen);
    bool ShowingWindowMenus() const;
    // The recent-file entries of the File menu; "Recent File", disabled, when there are none.
    void ShowRecentFiles(const QStringList& paths);

private:
    QAction* AddAction(int id, const QString& text);
    void AddCommand(const CommandEntry& command);
    void CreateRecentFileActions();
    void CreateFocusedControlKeys();
    void CreateMenus();
    QMenu* NewMenu(const QString& title, const QList<int>& ids);
    // Lists the open browser windows below the Window menu's commands.
    void ListWindows(QMenu* menu);

    QMainWindow& frame;
    QMdiArea& windows;
    CommandRouter& router;
    QList<QAction*> windowEntries;
    QHash<int, QAction*> actions;
    QList<QMenu*> noWindowMenus;
    QList<QMenu*> windowMenus;
    bool showingWindowMenus = true;
};
