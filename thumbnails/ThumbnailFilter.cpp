#include "thumbnails/ThumbnailFilter.h"

#include "thumbnails/ThumbnailMaker.h"
#include "thumbnails/ThumbnailModel.h"

const QString ThumbnailFilter::Other = QStringLiteral("Other");

ThumbnailFilter::ThumbnailFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setDynamicSortFilter(true);
    sort(0);
}

const QStringList& ThumbnailFilter::Types() {
    static const QStringList types = {
        "JPEG", "PNG", "GIF", "WebP", "SVG", "AVIF", ThumbnailMaker::Video, Other};
    return types;
}

void ThumbnailFilter::SetLists(Lists shown) {
    lists = shown;
    invalidateFilter();
}

void ThumbnailFilter::SetMinimumSize(const QSize& size) {
    minimumSize = size;
    invalidateFilter();
}

void ThumbnailFilter::SetTypeShown(const QString& type, bool shown) {
    if (shown)
        hiddenTypes.remove(type);
    else
        hiddenTypes.insert(type);
    invalidateFilter();
}

void ThumbnailFilter::SetNameText(const QString& text) {
    nameText = text;
    invalidateFilter();
}

void ThumbnailFilter::SetOrder(Order newOrder) {
    order = newOrder;
    invalidate();
}

void ThumbnailFilter::SetGroupAlike(bool grouped) {
    groupAlike = grouped;
    invalidate();
}

bool ThumbnailFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const QModelIndex cell = sourceModel()->index(sourceRow, 0, sourceParent);
    return IsInShownLists(cell) && IsLargeEnough(cell) && IsTypeShown(cell) &&
           cell.data(Qt::DisplayRole).toString().contains(nameText, Qt::CaseInsensitive);
}

bool ThumbnailFilter::IsInShownLists(const QModelIndex& cell) const {
    switch (lists) {
    case Lists::Images:
        return cell.data(ThumbnailModel::InImagesRole).toBool();
    case Lists::Links:
        return cell.data(ThumbnailModel::InLinksRole).toBool();
    case Lists::Both:
        break;
    }
    return true;
}

bool ThumbnailFilter::IsLargeEnough(const QModelIndex& cell) const {
    const QSize size = cell.data(ThumbnailModel::SizeRole).toSize();
    return !size.isValid() ||
           (size.width() >= minimumSize.width() && size.height() >= minimumSize.height());
}

bool ThumbnailFilter::IsTypeShown(const QModelIndex& cell) const {
    const QString type = cell.data(ThumbnailModel::TypeRole).toString();
    return !hiddenTypes.contains(Types().contains(type) ? type : Other);
}

bool ThumbnailFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (groupAlike) {
        const QModelIndex leftBest = BestOf(left);
        const QModelIndex rightBest = BestOf(right);
        if (leftBest != rightBest)
            return IsInOrder(leftBest, rightBest);
        if ((left == leftBest) != (right == rightBest))
            return left == leftBest;
    }
    return IsInOrder(left, right);
}

QModelIndex ThumbnailFilter::BestOf(const QModelIndex& cell) const {
    return cell.siblingAtRow(cell.data(ThumbnailModel::BestRowRole).toInt());
}

bool ThumbnailFilter::IsInOrder(const QModelIndex& left, const QModelIndex& right) const {
    const int leftOrder = left.data(ThumbnailModel::PageOrderRole).toInt();
    const int rightOrder = right.data(ThumbnailModel::PageOrderRole).toInt();
    if (order == Order::Size) {
        const QSize leftSize = left.data(ThumbnailModel::SizeRole).toSize();
        const QSize rightSize = right.data(ThumbnailModel::SizeRole).toSize();
        const qint64 leftArea =
            leftSize.isValid() ? qint64(leftSize.width()) * leftSize.height() : -1;
        const qint64 rightArea =
            rightSize.isValid() ? qint64(rightSize.width()) * rightSize.height() : -1;
        if (leftArea != rightArea)
            return leftArea > rightArea;
    } else if (order == Order::Name) {
        const int byName =
            QString::localeAwareCompare(left.data().toString(), right.data().toString());
        if (byName != 0)
            return byName < 0;
    }
    return leftOrder < rightOrder;
}
