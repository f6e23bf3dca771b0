#include "frame/FrameMenus.h"

#include "core/CommandIds.h"
#include "core/CommandRouter.h"
#include "core/StringTable.h"
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

FrameMenus::FrameMenus(QMainWindow& frame, QMdiArea& windows, CommandRouter& router,
                       const QList<CommandEntry>& commands)
    : QObject(&frame), frame(frame), windows(windows), router(router) {
    for (const CommandEntry& command : commands)
        AddCommand(command);
    CreateRecentFileActions();
    CreateFocusedControlKeys();
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

// A command without a menu entry gets an action only for its keys, on the frame.
void FrameMenus::AddCommand(const CommandEntry& command) {
    if (!command.text && command.keys.isEmpty())
        return;
    QAction* action = AddAction(command.id, QString::fromUtf8(command.text));
    if (!command.text)
        frame.addAction(action);
    action->setCheckable(command.style == CommandEntry::Style::Checkable);
    // The browser windows close with the desktop's Close keys, Ctrl+W on most;
    // a second binding of the same key would make it do nothing.
    QList<QKeySequence> keys = command.keys;
    const QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    keys.removeIf([&closeKeys](const QKeySequence& key) { return closeKeys.contains(key); });
    if (!keys.isEmpty())
        action->setShortcuts(keys);
}

void FrameMenus::CreateRecentFileActions() {
    for (int i = 0; i < RecentFileList::MaxEntries; ++i)
        AddAction(ID_FILE_MRU_FILE1 + i, QString());
    ShowRecentFiles({});
}

// The keys of commands nobody handles: their actions stay disabled, so the
// keys reach the focused control.
void FrameMenus::CreateFocusedControlKeys() {
    const QList<std::pair<int, QList<QKeySequence>>> keys = {
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
    for (const auto& [id, sequences] : keys)
        AddCommand({id, nullptr, sequences});
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
                           ID_VIEW_DOWNLOAD_REPORT, ID_VIEW_THUMBNAILS, ID_VIEW_WATCH_LIST,
                           ID_VIEW_SKIP_SAVED, ID_VIEW_FORGET_SAVED, ID_VIEW_SPEED_LIMIT,
                           ID_VIEW_REQUEST_WAIT, ID_VIEW_FILE_NAMES});
    view->addMenu(
        NewMenu(QStringLiteral("&Parallel Downloads"),
                {ID_VIEW_PARALLEL_1, ID_VIEW_PARALLEL_2, ID_VIEW_PARALLEL_4, ID_VIEW_PARALLEL_8}));
    QMenu* help = NewMenu(QStringLiteral("&Help"), {ID_APP_ABOUT});
    noWindowMenus = {
        NewMenu(QStringLiteral("&File"),
                QList<int>{ID_FILE_NEW, Separator, ID_FILE_PRINT_SETUP, Separator} + recentFiles +
                    QList<int>{Separator, ID_FILE_PAUSE_DOWNLOADS, ID_FILE_RESUME_DOWNLOADS,
                               Separator, ID_FILE_EXPORT_COOKIES, Separator, ID_APP_EXIT}),
        view, NewMenu(QStringLiteral("&Scan"), {ID_SCAN_DEEP, ID_SCAN_MIN_SIZE}), help};
    QMenu* window =
        NewMenu(QStringLiteral("&Window"), {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ});
    connect(window, &QMenu::aboutToShow, this, [this, window] { ListWindows(window); });
    windowMenus = {
        NewMenu(QStringLiteral("&File"),
                {ID_FILE_NEW, ID_FILE_CLOSE, Separator, ID_FILE_PAUSE_DOWNLOADS,
                 ID_FILE_RESUME_DOWNLOADS, Separator, ID_FILE_EXPORT_COOKIES, Separator,
                 ID_APP_EXIT}),
        view,
        NewMenu(QStringLiteral("&Scan"), {ID_SCAN_DEEP, ID_SCAN_SCROLL, ID_SCAN_FOLLOW, Separator,
                                          ID_SCAN_MIN_SIZE, Separator, ID_SCAN_WATCH_PAGE}),
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
