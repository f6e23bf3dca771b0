#include "frame/CWatchListWindow.h"

#include "core/Prompts.h"
#include "watches/WatchCheckProcess.h"
#include "watches/WatchPeriod.h"
#include "watches/WatchSchedule.h"
#include "watches/WatchStore.h"
#include "watches/WatchTimer.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString Caption = QStringLiteral("Watch List");
constexpr int RefreshMilliseconds = 30000; // checks of the tool change the list too

QString TimeText(qint64 seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString ResultText(const Watch& watch) {
    if (watch.lastCheck == 0)
        return QStringLiteral("not checked yet");
    if (watch.Failing())
        return QStringLiteral("failed: ") + watch.failure;
    return QStringLiteral("%1 new of %2").arg(watch.newCount).arg(watch.pictures);
}

} // namespace

CWatchListWindow::CWatchListWindow(QWidget* parent, WatchStore& store, WatchCheckProcess& checks,
                                   Actions actions)
    : QDialog(parent, Qt::Window), store(store), checks(checks), actions(std::move(actions)),
      rows(new QTreeWidget),
      timer(new QCheckBox(QStringLiteral("Check watches while Quillmar is closed"))),
      timerProblem(new QLabel) {
    setWindowTitle(Caption);
    rows->setRootIsDecorated(false);
    rows->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Address"),
                           QStringLiteral("Folder"), QStringLiteral("Last check"),
                           QStringLiteral("Result"), QStringLiteral("New"),
                           QStringLiteral("Next check")});
    rows->header()->setStretchLastSection(false);
    rows->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(rows, &QTreeWidget::itemSelectionChanged, this, &CWatchListWindow::EnableButtons);
    connect(rows, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) {
        Open(row->data(AddressColumn, Qt::UserRole).toString());
    });
    timerProblem->setWordWrap(true);
    connect(timer, &QCheckBox::clicked, this, &CWatchListWindow::SwitchTimer);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rows);
    layout->addWidget(Buttons());
    layout->addWidget(timer);
    layout->addWidget(timerProblem);
    resize(1100, 360);
    connect(&checks, &WatchCheckProcess::progress, this, [this](const QString& address, int saved) {
        ShowProgress(address, QStringLiteral("checking: %1 saved").arg(saved));
    });
    connect(&checks, &WatchCheckProcess::checked, this, &CWatchListWindow::Refresh);
    connect(&checks, &WatchCheckProcess::finished, this, &CWatchListWindow::Refresh);
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, &CWatchListWindow::Refresh);
    refresh->start(RefreshMilliseconds);
    Refresh();
    ShowTimer();
}

QWidget* CWatchListWindow::Buttons() {
    auto* panel = new QWidget;
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto add = [&](const QString& text, const std::function<void()>& handler) {
        auto* button = new QPushButton(text);
        connect(button, &QPushButton::clicked, this, handler);
        layout->addWidget(button);
        return button;
    };
    checkNow = add(QStringLiteral("Check &Now"), [this] { CheckSelected(); });
    checkAll = add(QStringLiteral("Check &All Now"), [this] { CheckAll(); });
    cancel = add(QStringLiteral("&Cancel Check"), [this] { checks.Cancel(); });
    openFolder = add(QStringLiteral("Open &Folder"), [this] { OpenFolder(); });
    openPage = add(QStringLiteral("Open &Page"), [this] {
        if (!Selected().isEmpty() && actions.openPage)
            actions.openPage(Selected());
    });
    edit = add(QStringLiteral("&Edit..."), [this] { EditSelected(); });
    remove = add(QStringLiteral("&Remove"), [this] { RemoveSelected(); });
    layout->addStretch();
    return panel;
}

void CWatchListWindow::Refresh() {
    const QString selected = Selected();
    QHash<QString, QTreeWidgetItem*> kept;
    for (const Watch& watch : store.List()) {
        QTreeWidgetItem* row = rowOf.take(watch.address);
        if (!row)
            row = new QTreeWidgetItem(rows);
        ShowRow(row, watch);
        kept.insert(watch.address, row);
    }
    qDeleteAll(rowOf); // watches removed meanwhile, here or by the tool
    rowOf = kept;
    if (QTreeWidgetItem* row = rowOf.value(selected))
        row->setSelected(true);
    else if (rows->topLevelItemCount() > 0 && selected.isEmpty())
        rows->topLevelItem(0)->setSelected(true);
    for (int column = 0; column < rows->columnCount(); ++column)
        rows->resizeColumnToContents(column);
    EnableButtons();
}

void CWatchListWindow::ShowRow(QTreeWidgetItem* row, const Watch& watch) {
    row->setData(AddressColumn, Qt::UserRole, watch.address);
    row->setText(TitleColumn, watch.title);
    row->setText(AddressColumn, watch.address);
    row->setText(FolderColumn, watch.folder);
    row->setText(LastColumn, watch.lastCheck == 0 ? QString() : TimeText(watch.lastCheck));
    row->setText(ResultColumn, ResultText(watch));
    row->setToolTip(ResultColumn, ResultText(watch));
    row->setForeground(ResultColumn, watch.Failing() ? QBrush(QColor(255, 96, 96)) : QBrush());
    row->setText(NewColumn, QString::number(watch.unlooked));
    QFont font = row->font(NewColumn);
    font.setBold(watch.unlooked > 0);
    row->setFont(NewColumn, font);
    const qint64 next = WatchSchedule::NextCheck(watch);
    row->setText(NextColumn,
                 next == 0
                     ? QStringLiteral("now")
                     : TimeText(next) +
                           QStringLiteral(" (every %1)").arg(WatchPeriod::Text(watch.period)));
}

void CWatchListWindow::ShowProgress(const QString& address, const QString& text) {
    if (QTreeWidgetItem* row = rowOf.value(address))
        row->setText(ResultColumn, text);
    EnableButtons();
}

QString CWatchListWindow::Selected() const {
    const QList<QTreeWidgetItem*> selected = rows->selectedItems();
    return selected.isEmpty() ? QString()
                              : selected.first()->data(AddressColumn, Qt::UserRole).toString();
}

void CWatchListWindow::Open(const QString& address) {
    store.MarkLookedAt(address);
    Refresh();
}

void CWatchListWindow::CheckSelected() {
    const QString address = Selected();
    if (address.isEmpty())
        return;
    if (!checks.Start({address}))
        Prompts::current().message(this, checks.Error(), Caption, Prompts::Icon::Exclamation);
    ShowProgress(address, QStringLiteral("checking..."));
}

void CWatchListWindow::CheckAll() {
    QStringList all;
    for (const Watch& watch : store.List())
        all << watch.address;
    if (all.isEmpty())
        return;
    if (!checks.Start(all))
        Prompts::current().message(this, checks.Error(), Caption, Prompts::Icon::Exclamation);
    for (const QString& address : all)
        ShowProgress(address, QStringLiteral("waiting to be checked"));
}

void CWatchListWindow::OpenFolder() {
    const std::optional<Watch> watch = store.Find(Selected());
    if (!watch)
        return;
    Open(watch->address);
    if (!Prompts::current().openExternal(QUrl::fromLocalFile(watch->folder)))
        Prompts::current().message(this, QStringLiteral("Cannot open the folder ") + watch->folder,
                                   Caption, Prompts::Icon::Exclamation);
}

void CWatchListWindow::EditSelected() {
    const std::optional<Watch> watch = store.Find(Selected());
    if (watch && actions.edit && actions.edit(this, *watch))
        Refresh();
}

void CWatchListWindow::RemoveSelected() {
    const std::optional<Watch> watch = store.Find(Selected());
    if (!watch || !Prompts::current().askYesNo(
                      this,
                      QStringLiteral("Stop watching %1?\nIts folder and the pictures in it stay.")
                          .arg(watch->address),
                      Caption))
        return;
    if (!store.Remove(watch->address))
        Prompts::current().message(this, store.Error(), Caption, Prompts::Icon::Exclamation);
    Refresh();
}

void CWatchListWindow::ShowTimer() {
    const WatchTimer::State state = WatchTimer().Query();
    timer->setChecked(state.enabled);
    timer->setEnabled(state.problem.isEmpty());
    timerProblem->setText(QStringLiteral("Not possible here: ") + state.problem);
    timerProblem->setVisible(!state.problem.isEmpty());
}

void CWatchListWindow::SwitchTimer(bool on) {
    const WatchTimer switcher;
    const QString problem = on ? switcher.Enable() : switcher.Disable();
    if (!problem.isEmpty())
        Prompts::current().message(this, problem, Caption, Prompts::Icon::Exclamation);
    ShowTimer();
}

void CWatchListWindow::EnableButtons() {
    const bool chosen = !Selected().isEmpty();
    const bool running = checks.IsRunning();
    checkNow->setEnabled(chosen && !running);
    checkAll->setEnabled(!rowOf.isEmpty() && !running);
    cancel->setEnabled(running);
    for (QPushButton* button : {openFolder, openPage, edit, remove})
        button->setEnabled(chosen);
}
