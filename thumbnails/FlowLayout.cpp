#include "thumbnails/FlowLayout.h"

#include <QWidget>

#include <algorithm>

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    items.append(item);
}

int FlowLayout::count() const {
    return int(items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return items.value(index);
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items.size() ? items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return {};
}

bool FlowLayout::hasHeightForWidth() const {
    return true;
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

// As narrow as the widest item: everything else wraps.
QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items)
        size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

// One line holding every item.
QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items) {
        width += item->sizeHint().width() + (width > 0 ? spacing() : 0);
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width + margins.left() + margins.right(),
                 height + margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

// Each line's items share its height and are centred in it, so a label stays
// level with the box beside it.
int FlowLayout::Arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int gap = std::max(spacing(), 0);
    int top = area.top();
    qsizetype lineStart = 0;
    while (lineStart < items.size()) {
        int width = 0;
        int height = 0;
        qsizetype lineEnd = lineStart;
        for (; lineEnd < items.size(); ++lineEnd) {
            const QSize hint = items[lineEnd]->sizeHint();
            const int wanted = width + (lineEnd > lineStart ? gap : 0) + hint.width();
            if (lineEnd > lineStart && wanted > area.width())
                break;
            width = wanted;
            height = std::max(height, hint.height());
        }
        if (place) {
            int left = area.left();
            for (qsizetype i = lineStart; i < lineEnd; ++i) {
                const QSize hint = items[i]->sizeHint().boundedTo(QSize(area.width(), height));
                items[i]->setGeometry(
                    QRect(QPoint(left, top + (height - hint.height()) / 2), hint));
                left += hint.width() + gap;
            }
        }
        top += height + gap;
        lineStart = lineEnd;
    }
    const QMargins margins = contentsMargins();
    return top - (items.isEmpty() ? 0 : gap) - area.top() + margins.top() + margins.bottom();
}
