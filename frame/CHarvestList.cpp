#include "frame/CHarvestList.h"

#include "harvest/Harvest.h"
#include "harvest/ListOrder.h"

#include <QItemSelection>
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>

CHarvestList::CHarvestList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::Box);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every line is one text row; uniform sizes spare a slow first layout of long lists.
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, &CHarvestList::DescribeSelection);
    connect(model(), &QAbstractItemModel::rowsInserted, this, &CHarvestList::DescribeSelection);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &CHarvestList::DescribeSelection);
    connect(model(), &QAbstractItemModel::modelReset, this, &CHarvestList::DescribeSelection);
    DescribeSelection();
}

// The base class clears the model and the selection while it is destroyed:
// their signals must no longer reach this part, which is already gone.
CHarvestList::~CHarvestList() {
    disconnect(model(), nullptr, this, nullptr);
    disconnect(this, &QListWidget::itemSelectionChanged, this, nullptr);
}

// Screen readers hear of each change of the description, so a selection made
// by keyboard is followed by its count. Lines added one by one would each
// recount: the count is taken once, when the event loop is next free.
void CHarvestList::DescribeSelection() {
    if (descriptionPending)
        return;
    descriptionPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            descriptionPending = false;
            setAccessibleDescription(
                QStringLiteral("%1 of %2 selected").arg(GetSelCount()).arg(count()));
        },
        Qt::QueuedConnection);
}

QListWidgetItem* CHarvestList::NewItem(const HarvestLine& line) {
    auto* item = new QListWidgetItem(line.name);
    item->setData(AddressRole, line.address);
    return item;
}

void CHarvestList::AddString(const QString& line, const QString& address) {
    // Upper bound: an equal line already present stays before the new one.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (ListOrder::LessThan(line, item(middle)->text()))
            high = middle;
        else
            low = middle + 1;
    }
    insertItem(low, NewItem({line, address}));
}

void CHarvestList::AddStrings(const HarvestLines& lines) {
    if (count() != 0) {
        for (const HarvestLine& line : lines)
            AddString(line.name, line.address);
        return;
    }
    const HarvestLines sorted = Harvest::InListOrder(lines);
    QStringList names;
    names.reserve(sorted.size());
    for (const HarvestLine& line : sorted)
        names.append(line.name);
    // One insertion for all rows; the addresses are not shown, so the view need
    // not hear of each one.
    addItems(names);
    const QSignalBlocker quiet(model());
    for (int row = 0; row < sorted.size(); ++row)
        item(row)->setData(AddressRole, sorted[row].address);
}

void CHarvestList::ResetContent() {
    clear();
}

int CHarvestList::GetSelCount() const {
    return selectionModel()->selectedRows().size();
}

HarvestLines CHarvestList::SelectedLines() const {
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    HarvestLines lines;
    lines.reserve(selected.size());
    for (const QModelIndex& index : selected)
        lines.append({index.data().toString(), index.data(AddressRole).toString()});
    return lines;
}

void CHarvestList::SelectLines(const HarvestLines& lines) {
    QSet<QPair<QString, QString>> wanted;
    for (const HarvestLine& line : lines)
        wanted.insert({line.name, line.address});
    // One range per run of wanted rows keeps a long list's selection cheap.
    QItemSelection selection;
    int runStart = -1;
    for (int row = 0; row <= count(); ++row) {
        const QListWidgetItem* line = row < count() ? item(row) : nullptr;
        const bool isWanted =
            line && wanted.contains({line->text(), line->data(AddressRole).toString()});
        if (isWanted && runStart < 0)
            runStart = row;
        if (!isWanted && runStart >= 0) {
            selection.select(model()->index(runStart, 0), model()->index(row - 1, 0));
            runStart = -1;
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

QStringList CHarvestList::Lines() const {
    QStringList lines;
    lines.reserve(count());
    for (int row = 0; row < count(); ++row)
        lines.append(item(row)->text());
    return lines;
}

void CHarvestList::SelectAddresses(const QSet<QString>& addresses) {
    QItemSelection selection;
    for (int row = 0; row < count(); ++row) {
        if (addresses.contains(item(row)->data(AddressRole).toString())) {
            const QModelIndex line = model()->index(row, 0);
            selection.select(line, line);
        }
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

#include "moc_CHarvestList.cpp"
