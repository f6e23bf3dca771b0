#include "frame/FrameMenus.h"

#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/StringTable.h"
#include "frame/ParallelDownloadsMenu.h"
#include "frame/RecentFileList.h"

#include <QAction>
#include <QDir>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

// Marks a separator in a menu's id list.
constexpr int Separator = 0;

} // namespace

FrameMenus::FrameMenus(QMainWindow& frame, QMdiArea& windows, CommandRouter& router)
    : QObject(&frame), frame(frame), windows(windows), router(router) {
    CreateActions();
    CreateAccelerators();
    CreateMenus();
    ShowWindowMenus(false);
}

QAction* FrameMenus::Action(int id) const {
    return actions.value(id);
}

QAction* FrameMenus::AddAction(int id, const QString& text) {
    auto* action = new QAction(text, &frame);
    if (StringTable::contains(id))
        action->setStatusTip(StringTable::prompt(id));
    actions.insert(id, action);
    router.AddAction(id, action);
    return action;
}

void FrameMenus::CreateActions() {
    AddAction(ID_FILE_NEW, QStringLiteral("&New\tCtrl+N"));
    AddAction(ID_FILE_CLOSE, QStringLiteral("&Close\tCtrl+W"));
    AddAction(ID_FILE_PRINT_SETUP, QStringLiteral("P&rint Setup..."));
    for (int i = 0; i < RecentFileList::MaxEntries; ++i)
        AddAction(ID_FILE_MRU_FILE1 + i, QString());
    AddAction(ID_APP_EXIT, QStringLiteral("E&xit"));
    AddAction(ID_VIEW_TOOLBAR, QStringLiteral("&Toolbar"))->setCheckable(true);
    AddAction(ID_VIEW_STATUS_BAR, QStringLiteral("&Status Bar"))->setCheckable(true);
    AddAction(ID_VIEW_RELOAD, QStringLiteral("&Reload\tF5"));
    AddAction(ID_VIEW_DOWNLOAD_REPORT, QStringLiteral("&Download Report...\tCtrl+J"));
    AddAction(ID_VIEW_THUMBNAILS, QStringLiteral("T&humbnails...\tCtrl+T"));
    AddAction(ID_WINDOW_NEW, QStringLiteral("&New Window"));
    AddAction(ID_WINDOW_CASCADE, QStringLiteral("&Cascade"));
    AddAction(ID_WINDOW_TILE_HORZ, QStringLiteral("&Tile"));
    AddAction(ID_APP_ABOUT, QStringLiteral("&About Quillmar..."));
    AddAction(ID_SCAN_DEEP, QStringLiteral("&Deep Scan"))->setCheckable(true);
    AddAction(ID_SCAN_SCROLL, QStringLiteral("&Scroll and Scan\tCtrl+Shift+S"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    AddAction(ID_SCAN_MIN_SIZE, QStringLiteral("&Minimum Picture Size..."));
    ShowRecentFiles({});
}

void FrameMenus::CreateAccelerators() {
    const QList<std::pair<int, QList<QKeySequence>>> accelerators = {
        {ID_FILE_NEW, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {ID_VIEW_RELOAD, {QKeySequence(Qt::Key_F5)}},
        {ID_BACK, {QKeySequence(Qt::ALT | Qt::Key_Left)}},
        {ID_FORWARD, {QKeySequence(Qt::ALT | Qt::Key_Right)}},
        {ID_FILE_PRINT, {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {ID_VIEW_DOWNLOAD_REPORT, {QKeySequence(Qt::CTRL | Qt::Key_J)}},
        {ID_VIEW_THUMBNAILS, {QKeySequence(Qt::CTRL | Qt::Key_T)}},
        {ID_FILE_SAVE, {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {ID_EDIT_COPY,
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {ID_EDIT_PASTE,
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {ID_EDIT_CUT,
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {ID_EDIT_UNDO,
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {ID_NEXT_PANE, {QKeySequence(Qt::Key_F6)}},
        {ID_PREV_PANE, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const auto& [id, keys] : accelerators) {
        QAction* action = actions.value(id);
        if (!action) {
            action = AddAction(id, QString());
            frame.addAction(action);
        }
        // Commands nobody handles stay disabled, so their keys reach the focused control.
        action->setShortcuts(keys);
    }
    // The browser windows close with the desktop's Close keys, Ctrl+W on most;
    // a second binding of the same key would make it do nothing.
    const QKeySequence closeKey(Qt::CTRL | Qt::Key_W);
    if (!QKeySequence::keyBindings(QKeySequence::Close).contains(closeKey))
        actions.value(ID_FILE_CLOSE)->setShortcut(closeKey);
}

QMenu* FrameMenus::NewMenu(const QString& title, const QList<int>& ids) {
    auto* menu = new QMenu(title, &frame);
    for (int id : ids) {
        if (id == Separator)
            menu->addSeparator();
        else
            menu->addAction(actions.value(id));
    }
    return menu;
}

void FrameMenus::CreateMenus() {
    QList<int> recentFiles;
    for (int i = 0; i < RecentFileList::MaxEntries; ++i)
        recentFiles.append(ID_FILE_MRU_FILE1 + i);
    QMenu* view = NewMenu(QStringLiteral("&View"),
                          {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, Separator, ID_VIEW_RELOAD,
                           ID_VIEW_DOWNLOAD_REPORT, ID_VIEW_THUMBNAILS});
    view->addMenu(new ParallelDownloadsMenu(&frame));
    QMenu* help = NewMenu(QStringLiteral("&Help"), {ID_APP_ABOUT});
    noWindowMenus = {NewMenu(QStringLiteral("&File"),
                             QList<int>{ID_FILE_NEW, Separator, ID_FILE_PRINT_SETUP, Separator} +
                                 recentFiles + QList<int>{Separator, ID_APP_EXIT}),
                     view, NewMenu(QStringLiteral("&Scan"), {ID_SCAN_DEEP, ID_SCAN_MIN_SIZE}),
                     help};
    QMenu* window =
        NewMenu(QStringLiteral("&Window"), {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ});
    connect(window, &QMenu::aboutToShow, this, [this, window] { ListWindows(window); });
    windowMenus = {
        NewMenu(QStringLiteral("&File"), {ID_FILE_NEW, ID_FILE_CLOSE, Separator, ID_APP_EXIT}),
        view,
        NewMenu(QStringLiteral("&Scan"),
                {ID_SCAN_DEEP, ID_SCAN_SCROLL, Separator, ID_SCAN_MIN_SIZE}),
        window, help};
}

void FrameMenus::ListWindows(QMenu* menu) {
    qDeleteAll(windowEntries);
    windowEntries.clear();
    const QList<QMdiSubWindow*> open = windows.subWindowList();
    if (open.isEmpty())
        return;
    windowEntries.append(menu->addSeparator());
    for (int i = 0; i < open.size(); ++i) {
        QMdiSubWindow* window = open.at(i);
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        entry->setCheckable(true);
        entry->setChecked(window == windows.currentSubWindow());
        connect(entry, &QAction::triggered, &windows,
                [this, target = QPointer<QMdiSubWindow>(window)] {
                    if (target)
                        windows.setActiveSubWindow(target);
                });
        windowEntries.append(entry);
    }
}

void FrameMenus::ShowWindowMenus(bool windowOpen) {
    if (windowOpen == showingWindowMenus)
        return;
    showingWindowMenus = windowOpen;
    QMenuBar* bar = frame.menuBar();
    bar->clear();
    for (QMenu* menu : windowOpen ? windowMenus : noWindowMenus)
        bar->addMenu(menu);
}

bool FrameMenus::ShowingWindowMenus() const {
    return showingWindowMenus;
}

void FrameMenus::ShowRecentFiles(const QStringList& paths) {
    for (int i = 0; i < RecentFileList::MaxEntries; ++i) {
        QAction* action = actions.value(ID_FILE_MRU_FILE1 + i);
        if (i < paths.size()) {
            QString name = QDir::toNativeSeparators(paths.at(i));
            name.replace(QLatin1Char('&'), QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        }
        action->setVisible(i < paths.size() || i == 0);
    }
    if (paths.isEmpty())
        actions.value(ID_FILE_MRU_FILE1)->setText(QStringLiteral("Recent File"));
}

#include "moc_FrameMenus.cpp"
