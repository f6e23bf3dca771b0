#include "thumbnails/CThumbnailsWindow.h"

#include "core/Limits.h"
#include "core/Settings.h"
#include "thumbnails/ThumbnailDelegate.h"
#include "thumbnails/ThumbnailFilter.h"
#include "thumbnails/ThumbnailLoader.h"
#include "thumbnails/ThumbnailModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

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

// A label that names buddy for screen readers and gives it a mnemonic.
QLabel* Labelled(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

CThumbnailsWindow::CThumbnailsWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), model(new ThumbnailModel(this)),
      filter(new ThumbnailFilter(this)), loader(new ThumbnailLoader(ThumbnailCache(), this)),
      view(new QListView(this)), lists(new QComboBox(this)), order(new QComboBox(this)),
      minimumWidth(new QSpinBox(this)), minimumHeight(new QSpinBox(this)), counts(new QLabel(this)),
      download(new QPushButton(QStringLiteral("Download Selected"), this)),
      wantTimer(new QTimer(this)), sizeSettled(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Thumbnails"));
    setObjectName(QStringLiteral("thumbnails"));
    filter->setSourceModel(model);
    SetUpView();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeFilterRow());
    layout->addWidget(MakeTypeRow());
    layout->addWidget(view, 1);
    layout->addWidget(MakeButtonRow());
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
    view->setWordWrap(false);
    view->installEventFilter(this);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &CThumbnailsWindow::ScheduleWant);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CThumbnailsWindow::OnSelectionChanged);
    connect(view, &QListView::activated, this, [this](const QModelIndex& index) {
        emit OpenRequested(index.data(ThumbnailModel::AddressRole).toString());
    });
}

QWidget* CThumbnailsWindow::MakeFilterRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    lists->addItems({QStringLiteral("Images"), QStringLiteral("Links"), QStringLiteral("Both")});
    lists->setCurrentIndex(int(ThumbnailFilter::Lists::Both));
    connect(lists, &QComboBox::currentIndexChanged, this,
            [this](int index) { filter->SetLists(ThumbnailFilter::Lists(index)); });
    order->addItems({QStringLiteral("Page order"), QStringLiteral("Size (largest first)"),
                     QStringLiteral("Name")});
    connect(order, &QComboBox::currentIndexChanged, this,
            [this](int index) { filter->SetOrder(ThumbnailFilter::Order(index)); });
    auto* name = new QLineEdit(row);
    name->setPlaceholderText(QStringLiteral("Name contains"));
    name->setAccessibleName(name->placeholderText());
    name->setClearButtonEnabled(true);
    connect(name, &QLineEdit::textChanged, filter, &ThumbnailFilter::SetNameText);
    for (QSpinBox* side : {minimumWidth, minimumHeight}) {
        side->setRange(0, Limits::MaxMinimumPictureSide);
        side->setSpecialValueText(QStringLiteral("any"));
        connect(side, &QSpinBox::valueChanged, this, &CThumbnailsWindow::OnMinimumSizeEdited);
    }
    minimumWidth->setAccessibleName(QStringLiteral("Minimum width"));
    minimumHeight->setAccessibleName(QStringLiteral("Minimum height"));
    layout->addWidget(Labelled(QStringLiteral("&Show:"), lists, row));
    layout->addWidget(lists);
    layout->addWidget(Labelled(QStringLiteral("&Order:"), order, row));
    layout->addWidget(order);
    layout->addWidget(name, 1);
    layout->addWidget(Labelled(QStringLiteral("At &least:"), minimumWidth, row));
    layout->addWidget(minimumWidth);
    layout->addWidget(new QLabel(QStringLiteral("x"), row));
    layout->addWidget(minimumHeight);
    return row;
}

QWidget* CThumbnailsWindow::MakeTypeRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const QString& type : ThumbnailFilter::Types()) {
        auto* box = new QCheckBox(type, row);
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this,
                [this, type](bool shown) { filter->SetTypeShown(type, shown); });
        layout->addWidget(box);
    }
    layout->addStretch(1);
    return row;
}

QWidget* CThumbnailsWindow::MakeButtonRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(counts, 1);
    layout->addWidget(download);
    connect(download, &QPushButton::clicked, this,
            [this] { emit DownloadRequested(SelectedAddresses()); });
    return row;
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

// A rescan that lists the same lines keeps the cells, their selection and the scroll position.
void CThumbnailsWindow::SetHarvest(const ThumbnailHarvest& harvest) {
    if (!model->SetHarvest(harvest))
        return;
    loader->Reset(harvest.rules);
    if (isVisible())
        WantVisibleFirst();
}

void CThumbnailsWindow::SelectAddresses(const QStringList& addresses) {
    QItemSelection selection;
    for (const QString& address : addresses) {
        const QModelIndex shown = filter->mapFromSource(model->index(model->RowOf(address)));
        if (shown.isValid())
            selection.select(shown, shown);
    }
    selectingFromOutside = true;
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    selectingFromOutside = false;
}

QStringList CThumbnailsWindow::SelectedAddresses() const {
    QModelIndexList selected = view->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end());
    QStringList addresses;
    for (const QModelIndex& index : std::as_const(selected))
        addresses.append(index.data(ThumbnailModel::AddressRole).toString());
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

void CThumbnailsWindow::OnSelectionChanged() {
    ShowCounts();
    if (!selectingFromOutside)
        emit SelectionChanged(SelectedAddresses());
}

void CThumbnailsWindow::ShowCounts() {
    const int selected = int(view->selectionModel()->selectedIndexes().size());
    counts->setText(QStringLiteral("%1 of %2 pictures shown, %3 selected")
                        .arg(filter->rowCount())
                        .arg(model->rowCount())
                        .arg(selected));
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

// Only a size the user gives the open window is remembered.
void CThumbnailsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        Settings::SetThumbnailsWindowSize(size());
}

void CThumbnailsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ScheduleWant();
}

// A closed window fetches nothing more; the fetches under way end.
void CThumbnailsWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    wantTimer->stop();
    loader->Want(QStringList(), QStringList());
}

// Space toggles the current cell's selection, as in a list of check boxes.
bool CThumbnailsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier &&
            view->currentIndex().isValid()) {
            view->selectionModel()->select(view->currentIndex(), QItemSelectionModel::Toggle);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
