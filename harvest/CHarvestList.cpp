#include "harvest/CHarvestList.h"

#include "harvest/ListOrder.h"

#include <algorithm>

CHarvestList::CHarvestList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::Box);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every line is one text row; uniform sizes spare a slow first layout of long lists.
    setUniformItemSizes(true);
}

void CHarvestList::AddString(const QString& line) {
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
    insertItem(low, line);
}

void CHarvestList::AddStrings(const QStringList& lines) {
    if (count() != 0) {
        for (const QString& line : lines)
            AddString(line);
        return;
    }
    QStringList sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), ListOrder());
    addItems(sorted);
}

void CHarvestList::ResetContent() {
    clear();
}

int CHarvestList::GetSelCount() const {
    return selectionModel()->selectedRows().size();
}

QStringList CHarvestList::SelectedLines() const {
    QModelIndexList selected = selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    lines.reserve(selected.size());
    for (const QModelIndex& index : selected)
        lines.append(index.data().toString());
    return lines;
}

QStringList CHarvestList::Lines() const {
    QStringList lines;
    lines.reserve(count());
    for (int row = 0; row < count(); ++row)
        lines.append(item(row)->text());
    return lines;
}

#include "moc_CHarvestList.cpp"
