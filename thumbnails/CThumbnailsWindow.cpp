#include "thumbnails/CThumbnailsWindow.h"

#include "core/Limits.h"
#include "core/Settings.h"
#include "downloads/DownloadReport.h"
#include "thumbnails/FlowLayout.h"
#include "thumbnails/ThumbnailDelegate.h"
#include "thumbnails/ThumbnailFilter.h"
#include "thumbnails/ThumbnailLoader.h"
#include "thumbnails/ThumbnailModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int Spacing = 4;
// Scrolling and re-filtering come in bursts; the queue is re-ordered once after each.
constexpr int WantDelayMs = 50;
// Cells beyond the view that are made ahead of scrolling, so the size filter
// and the order by size soon know them.
constexpr int FetchAhead = 1000;
// The grid follows every step of a minimum size being typed; the setting only
// the size the user stays at.
constexpr int SizeSettleMs = 400;

// Between the filters, on a line and between lines.
constexpr int FilterSpacing = 6;
constexpr int NameFieldCharacters = 20;

// A label that names buddy for screen readers and gives it a mnemonic.
QLabel* Labelled(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// Widgets that stay together on one line of the filters, as a label beside its box.
QWidget* Together(std::initializer_list<QWidget*> widgets, QWidget* parent) {
    auto* group = new QWidget(parent);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return group;
}

// Qt sees the row of a selection range only as its indexes; these are whole rows.
void SelectRows(QItemSelection& selection, const QAbstractItemModel& model, int first, int last) {
    selection.select(model.index(first, 0), model.index(last, 0));
}

} // namespace

CThumbnailsWindow::CThumbnailsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), model(new ThumbnailModel(this)),
      filter(new ThumbnailFilter(this)), loader(new ThumbnailLoader(ThumbnailCache(), this)),
      view(new ThumbnailGrid(this)), lists(new QComboBox(this)), order(new QComboBox(this)),
      groupAlike(new QCheckBox(QStringLiteral("&Group alike"), this)), name(new QLineEdit(this)),
      minimumWidth(new QSpinBox(this)), minimumHeight(new QSpinBox(this)), counts(new QLabel(this)),
      feedback(new QLabel(this)),
      download(new QPushButton(QStringLiteral("Download Selected"), this)),
      selectBest(new QPushButton(QStringLiteral("Select &Best of Each Group"), this)),
      wantTimer(new QTimer(this)), sizeSettled(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Thumbnails"));
    setObjectName(QStringLiteral("thumbnails"));
    filter->setSourceModel(model);
    SetUpView();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeFilters());
    layout->addWidget(view, 1);
    layout->addWidget(MakeButtonRow());
    feedback->setObjectName(QStringLiteral("feedback"));
    feedback->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(feedback);
    AddKeys();
    wantTimer->setSingleShot(true);
    wantTimer->setInterval(WantDelayMs);
    connect(wantTimer, &QTimer::timeout, this, &CThumbnailsWindow::WantVisibleFirst);
    sizeSettled->setSingleShot(true);
    sizeSettled->setInterval(SizeSettleMs);
    connect(sizeSettled, &QTimer::timeout, this, [this] {
        emit MinimumSizeChanged(QSize(minimumWidth->value(), minimumHeight->value()));
    });
    connect(loader, &ThumbnailLoader::Ready, model, &ThumbnailModel::Apply);
    const auto shownCellsChanged = [this] {
        ShowCounts();
        ScheduleWant();
    };
    const auto allShownAgain = [this] { ShowSelection(0, filter->rowCount() - 1, true); };
    connect(filter, &QAbstractItemModel::layoutChanged, this, allShownAgain);
    connect(filter, &QAbstractItemModel::modelReset, this, allShownAgain);
    connect(filter, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { ShowSelection(first, last, false); });
    connect(filter, &QAbstractItemModel::layoutChanged, this, shownCellsChanged);
    connect(filter, &QAbstractItemModel::modelReset, this, shownCellsChanged);
    connect(filter, &QAbstractItemModel::rowsInserted, this, shownCellsChanged);
    connect(filter, &QAbstractItemModel::rowsRemoved, this, shownCellsChanged);
    const QSize remembered = Settings::ThumbnailsWindowSize();
    resize(remembered.isEmpty() ? DefaultSize() : remembered);
    ShowCounts();
    view->setFocus();
}

CThumbnailsWindow::~CThumbnailsWindow() = default;

void CThumbnailsWindow::SetUpView() {
    view->setModel(filter);
    view->setItemDelegate(new ThumbnailDelegate(view));
    view->setViewMode(QListView::IconMode);
    view->setUniformItemSizes(true);
    view->setResizeMode(QListView::Adjust);
    view->setMovement(QListView::Static);
    view->setSpacing(Spacing);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setWordWrap(false);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CThumbnailsWindow::ScheduleWant);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CThumbnailsWindow::OnSelectionChanged);
    connect(view, &QListView::activated, this, [this](const QModelIndex& index) {
        emit OpenRequested(index.data(ThumbnailModel::AddressRole).toString());
    });
}

// The filters wrap onto further lines in a narrow window, in the order the
// Tab key takes them.
QWidget* CThumbnailsWindow::MakeFilters() {
    auto* filters = new QWidget(this);
    auto* layout = new FlowLayout(filters);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(FilterSpacing);
    lists->addItems({QStringLiteral("Images"), QStringLiteral("Links"), QStringLiteral("Both")});
    lists->setCurrentIndex(int(ThumbnailFilter::Lists::Both));
    connect(lists, &QComboBox::currentIndexChanged, this,
            [this](int index) { filter->SetLists(ThumbnailFilter::Lists(index)); });
    order->addItems({QStringLiteral("Page order"), QStringLiteral("Size (largest first)"),
                     QStringLiteral("Name")});
    connect(order, &QComboBox::currentIndexChanged, this,
            [this](int index) { filter->SetOrder(ThumbnailFilter::Order(index)); });
    groupAlike->setObjectName(QStringLiteral("groupAlike"));
    connect(groupAlike, &QCheckBox::toggled, this, [this](bool grouped) {
        filter->SetGroupAlike(grouped);
        view->SetGroupFramesShown(grouped);
    });
    name->setPlaceholderText(QStringLiteral("Name contains"));
    name->setAccessibleName(name->placeholderText());
    name->setClearButtonEnabled(true);
    // Its clear button would widen it at the first letter and wrap the filters anew.
    name->setFixedWidth(name->fontMetrics().averageCharWidth() * NameFieldCharacters);
    connect(name, &QLineEdit::textChanged, filter, &ThumbnailFilter::SetNameText);
    for (QSpinBox* side : {minimumWidth, minimumHeight}) {
        side->setRange(0, Limits::MaxMinimumPictureSide);
        side->setSpecialValueText(QStringLiteral("any"));
        connect(side, &QSpinBox::valueChanged, this, &CThumbnailsWindow::OnMinimumSizeEdited);
    }
    minimumWidth->setAccessibleName(QStringLiteral("Minimum width"));
    minimumHeight->setAccessibleName(QStringLiteral("Minimum height"));
    layout->addWidget(
        Together({Labelled(QStringLiteral("&Show:"), lists, filters), lists}, filters));
    layout->addWidget(
        Together({Labelled(QStringLiteral("&Order:"), order, filters), order}, filters));
    layout->addWidget(groupAlike);
    layout->addWidget(name);
    layout->addWidget(
        Together({Labelled(QStringLiteral("At &least:"), minimumWidth, filters), minimumWidth,
                  new QLabel(QStringLiteral("x"), filters), minimumHeight},
                 filters));
    setTabOrder(lists, order);
    setTabOrder(order, groupAlike);
    setTabOrder(groupAlike, name);
    setTabOrder(name, minimumWidth);
    setTabOrder(minimumWidth, minimumHeight);
    QWidget* previous = minimumHeight;
    for (const QString& type : ThumbnailFilter::Types()) {
        auto* box = new QCheckBox(type, filters);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this,
                [this, type](bool shown) { filter->SetTypeShown(type, shown); });
        layout->addWidget(box);
        setTabOrder(previous, box);
        previous = box;
    }
    setTabOrder(previous, view);
    setTabOrder(view, download);
    setTabOrder(download, selectBest);
    return filters;
}

QWidget* CThumbnailsWindow::MakeButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    counts->setObjectName(QStringLiteral("counts"));
    counts->setWordWrap(true);
    layout->addWidget(counts, 1);
    layout->addWidget(download);
    selectBest->setObjectName(QStringLiteral("selectBest"));
    layout->addWidget(selectBest);
    connect(selectBest, &QPushButton::clicked, this, &CThumbnailsWindow::SelectBestOfEachGroup);
    connect(download, &QPushButton::clicked, this, &CThumbnailsWindow::OnDownload);
    return row;
}

void CThumbnailsWindow::SetDownloadReport(DownloadReport* report) {
    if (downloads)
        disconnect(downloads, nullptr, this, nullptr);
    downloads = report;
    ownJobs.clear();
    if (downloads)
        connect(downloads, &DownloadReport::jobEnded, this, &CThumbnailsWindow::OnJobEnded);
}

void CThumbnailsWindow::ShowMessage(const QString& text) {
    feedback->setText(text);
}

// The owner says what came of the request (a folder asked for, nothing to
// download); a job it started is told here from start to end.
void CThumbnailsWindow::OnDownload() {
    const QStringList addresses = SelectedAddresses();
    const int newestBefore =
        downloads && !downloads->Jobs().isEmpty() ? downloads->Jobs().first().id : 0;
    ShowMessage(QString());
    emit DownloadRequested(addresses);
    if (!downloads || downloads->Jobs().isEmpty() || downloads->Jobs().first().id == newestBefore) {
        if (feedback->text().isEmpty())
            ShowMessage(QStringLiteral("Nothing downloaded."));
        return;
    }
    const DownloadReport::Job& job = downloads->Jobs().first();
    ownJobs.insert(job.id);
    ShowMessage(QStringLiteral("Downloading %1 of the selected pictures into %2...")
                    .arg(job.files.size())
                    .arg(job.folder));
    if (job.ended)
        OnJobEnded(job.id);
}

void CThumbnailsWindow::OnJobEnded(int job) {
    const DownloadReport::Job* ended = downloads ? downloads->FindJob(job) : nullptr;
    if (!ownJobs.remove(job) || !ended)
        return;
    ShowMessage(QStringLiteral("%1 (%2 selected pictures, into %3)")
                    .arg(DownloadReport::CountsOf(*ended).CompletionMessage())
                    .arg(ended->files.size())
                    .arg(ended->folder));
}

QSize CThumbnailsWindow::DefaultSize() const {
    const QSize cell = ThumbnailDelegate::CellSize() + QSize(2 * Spacing, 2 * Spacing);
    const int frame = 2 * view->frameWidth() + 2 * Spacing;
    const QSize grid(4 * cell.width() + frame + view->verticalScrollBar()->sizeHint().width(),
                     3 * cell.height() + frame);
    const QSize others = layout()->sizeHint() - view->sizeHint();
    return QSize(std::max(grid.width() + layout()->contentsMargins().left() +
                              layout()->contentsMargins().right(),
                          others.width()),
                 grid.height() + others.height());
}

// Escape and the desktop's Close keys close the window; Ctrl+T, which opened
// it, goes back to the browser window.
void CThumbnailsWindow::AddKeys() {
    auto* close = new QAction(this);
    QList<QKeySequence> closeKeys = QKeySequence::keyBindings(QKeySequence::Close);
    closeKeys.prepend(QKeySequence(Qt::Key_Escape));
    close->setShortcuts(closeKeys);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    auto* back = new QAction(this);
    back->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(back, &QAction::triggered, this, &CThumbnailsWindow::ReturnToOwner);
    addAction(back);
}

void CThumbnailsWindow::ReturnToOwner() {
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    owner->raise();
    owner->activateWindow();
}

// A rescan that lists the same lines keeps the cells, their selection and the
// scroll position; one that lists others keeps the current cell and the cell
// at the top of the view where it still lists them.
void CThumbnailsWindow::SetHarvest(const ThumbnailHarvest& harvest) {
    const Place place = CurrentPlace();
    if (!model->SetHarvest(harvest))
        return;
    for (auto address = chosen.begin(); address != chosen.end();)
        address = model->RowOf(*address) < 0 ? chosen.erase(address) : std::next(address);
    ShowCounts();
    GoTo(place);
    loader->Reset(harvest.rules);
    if (isVisible())
        WantVisibleFirst();
}

CThumbnailsWindow::Place CThumbnailsWindow::CurrentPlace() const {
    Place place;
    place.current = view->currentIndex().data(ThumbnailModel::AddressRole).toString();
    const QRect viewport = view->viewport()->rect();
    for (int row = 0; row < filter->rowCount(); ++row) {
        const QModelIndex cell = filter->index(row, 0);
        const QRect rect = view->visualRect(cell);
        if (rect.bottom() >= viewport.top()) {
            place.top = cell.data(ThumbnailModel::AddressRole).toString();
            place.topOffset = rect.top();
            break;
        }
    }
    return place;
}

void CThumbnailsWindow::GoTo(const Place& place) {
    view->doItemsLayout();
    const QModelIndex current = ShownCell(place.current);
    if (current.isValid())
        view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    const QModelIndex top = ShownCell(place.top);
    if (top.isValid()) {
        QScrollBar* scrollBar = view->verticalScrollBar();
        scrollBar->setValue(scrollBar->value() + view->visualRect(top).top() - place.topOffset);
    }
}

QModelIndex CThumbnailsWindow::ShownCell(const QString& address) const {
    return address.isEmpty() ? QModelIndex()
                             : filter->mapFromSource(model->index(model->RowOf(address)));
}

void CThumbnailsWindow::SelectAddresses(const QStringList& addresses) {
    chosen.clear();
    for (const QString& address : addresses) {
        if (model->RowOf(address) >= 0)
            chosen.insert(address);
    }
    ShowSelection(0, filter->rowCount() - 1, true);
}

void CThumbnailsWindow::SelectBestOfEachGroup() {
    model->Regroup();
    chosen.clear();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex cell = model->index(row, 0);
        if (cell.data(ThumbnailModel::BestRowRole).toInt() == row &&
            !cell.data(ThumbnailModel::ImageRole).toByteArray().isEmpty())
            chosen.insert(cell.data(ThumbnailModel::AddressRole).toString());
    }
    ShowSelection(0, filter->rowCount() - 1, true);
    emit SelectionChanged(AllSelectedAddresses());
}

void CThumbnailsWindow::ShowSelection(int first, int last, bool clearOthers) {
    QItemSelection selection;
    int runStart = -1;
    for (int row = first; row <= last + 1; ++row) {
        const bool isChosen =
            row <= last &&
            chosen.contains(filter->index(row, 0).data(ThumbnailModel::AddressRole).toString());
        if (isChosen && runStart < 0)
            runStart = row;
        if (!isChosen && runStart >= 0) {
            SelectRows(selection, *filter, runStart, row - 1);
            runStart = -1;
        }
    }
    showingSelection = true;
    view->selectionModel()->select(selection, clearOthers ? QItemSelectionModel::ClearAndSelect
                                                          : QItemSelectionModel::Select);
    showingSelection = false;
    ShowCounts();
}

QStringList CThumbnailsWindow::SelectedAddresses() const {
    QModelIndexList selected = view->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    QStringList addresses;
    for (const QModelIndex& index : std::as_const(selected))
        addresses.append(index.data(ThumbnailModel::AddressRole).toString());
    return addresses;
}

QStringList CThumbnailsWindow::AllSelectedAddresses() const {
    QStringList addresses = chosen.values();
    std::sort(addresses.begin(), addresses.end(), [this](const QString& one, const QString& other) {
        return model->RowOf(one) < model->RowOf(other);
    });
    return addresses;
}

void CThumbnailsWindow::SetMinimumSize(const QSize& size) {
    const QSignalBlocker widthBlocker(minimumWidth);
    const QSignalBlocker heightBlocker(minimumHeight);
    sizeSettled->stop();
    minimumWidth->setValue(size.width());
    minimumHeight->setValue(size.height());
    filter->SetMinimumSize(size);
}

void CThumbnailsWindow::OnMinimumSizeEdited() {
    const QSize size(minimumWidth->value(), minimumHeight->value());
    filter->SetMinimumSize(size);
    sizeSettled->start();
}

// The cells the user selects or deselects change the selection; those a
// filter hides as it changes keep theirs.
void CThumbnailsWindow::OnSelectionChanged(const QItemSelection& selected,
                                           const QItemSelection& deselected) {
    if (!showingSelection) {
        const qsizetype before = chosen.size();
        for (const QModelIndex& cell : selected.indexes())
            chosen.insert(cell.data(ThumbnailModel::AddressRole).toString());
        bool dropped = false;
        for (const QModelIndex& cell : deselected.indexes()) {
            const QModelIndex source = filter->mapToSource(cell);
            if (source.isValid() && filter->Shows(source.row()))
                dropped |= chosen.remove(cell.data(ThumbnailModel::AddressRole).toString());
        }
        if (dropped || chosen.size() != before)
            emit SelectionChanged(AllSelectedAddresses());
    }
    ShowCounts();
}

void CThumbnailsWindow::ShowCounts() {
    const int selected = int(view->selectionModel()->selectedIndexes().size());
    QString text = QStringLiteral("%1 of %2 pictures shown, %3 selected")
                       .arg(filter->rowCount())
                       .arg(model->rowCount())
                       .arg(selected);
    const qsizetype hidden = chosen.size() - selected;
    if (hidden > 0)
        text += QStringLiteral(", %1 more selected but hidden").arg(hidden);
    counts->setText(text);
    download->setEnabled(selected > 0);
}

void CThumbnailsWindow::ScheduleWant() {
    if (isVisible() && !wantTimer->isActive())
        wantTimer->start();
}

// The shown cells still to be made: those in view, then those below the
// view, then those above it, each nearest first; cells far from the view wait
// until the user comes near them.
void CThumbnailsWindow::WantVisibleFirst() {
    const QRect viewport = view->viewport()->rect();
    QStringList inView, below, above;
    for (int row = 0; row < filter->rowCount(); ++row) {
        const QModelIndex cell = filter->index(row, 0);
        if (!cell.data(ThumbnailModel::WantedRole).toBool())
            continue;
        const QRect rect = view->visualRect(cell);
        const QString address = cell.data(ThumbnailModel::AddressRole).toString();
        if (rect.intersects(viewport))
            inView.append(address);
        else if (rect.top() >= viewport.bottom())
            below.append(address);
        else
            above.prepend(address);
    }
    loader->Want(inView, (below + above).mid(0, FetchAhead));
}

// Only a size the user gives the open window is remembered, not the one it
// is fitted to as it first opens.
void CThumbnailsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible() && placed)
        Settings::SetThumbnailsWindowSize(size());
}

void CThumbnailsWindow::showEvent(QShowEvent* event) {
    if (!placed) {
        PlaceByOwner();
        placed = true;
    }
    QWidget::showEvent(event);
    ScheduleWant();
}

// Beside the owner where the screen has room for the window, else over the
// right of the owner's free area, below its bars and above its status bar.
// The window keeps the size it has where that fits, and the place it is
// moved to afterwards.
void CThumbnailsWindow::PlaceByOwner() {
    auto* owner = qobject_cast<QMainWindow*>(parentWidget() ? parentWidget()->window() : nullptr);
    if (!owner || !owner->isVisible() || !owner->centralWidget())
        return;
    const QRect screen = owner->screen()->availableGeometry();
    const QMargins margins =
        owner->windowHandle() ? owner->windowHandle()->frameMargins() : QMargins();
    const QRect outer = owner->frameGeometry();
    const QSize framed = size().grownBy(margins);
    if (outer.right() + framed.width() <= screen.right()) {
        move(outer.right() + 1, outer.top());
        return;
    }
    if (outer.left() - framed.width() >= screen.left()) {
        move(outer.left() - framed.width(), outer.top());
        return;
    }
    QWidget* area = owner->centralWidget();
    const QRect free(area->mapToGlobal(QPoint(0, 0)), area->size());
    resize(size().boundedTo(free.size().shrunkBy(margins)).expandedTo(minimumSizeHint()));
    move(free.right() + 1 - (width() + margins.left() + margins.right()), free.top());
}

// A closed window fetches nothing more; the fetches under way end.
void CThumbnailsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    wantTimer->stop();
    loader->Want(QStringList(), QStringList());
}
