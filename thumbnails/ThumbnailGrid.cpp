#include "thumbnails/ThumbnailGrid.h"

#include "thumbnails/ThumbnailModel.h"

#include <QKeyEvent>
#include <QPainter>

namespace {

bool IsMoveKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

bool IsPlain(const QKeyEvent& key) {
    return (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Cells of one group on one line of the grid share a frame.
bool InOneFrame(const QModelIndex& cell, const QRect& rect, const QModelIndex& previous,
                const QRect& previousRect) {
    return previous.isValid() && rect.top() == previousRect.top() &&
           cell.data(ThumbnailModel::BestRowRole) == previous.data(ThumbnailModel::BestRowRole);
}

} // namespace

ThumbnailGrid::ThumbnailGrid(QWidget* parent) : QListView(parent) {}

QItemSelectionModel::SelectionFlags ThumbnailGrid::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
    if (event && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (IsMoveKey(key->key()) && IsPlain(*key))
            return QItemSelectionModel::NoUpdate;
    }
    return QListView::selectionCommand(index, event);
}

void ThumbnailGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && IsPlain(*event) && currentIndex().isValid()) {
        selectionModel()->select(currentIndex(), QItemSelectionModel::Toggle);
        return;
    }
    QListView::keyPressEvent(event);
}

void ThumbnailGrid::SetGroupFramesShown(bool shown) {
    groupFramesShown = shown;
    viewport()->update();
}

void ThumbnailGrid::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (groupFramesShown && model())
        PaintGroupFrames();
}

// In the spacing between the cells, around each run of grouped cells in view.
void ThumbnailGrid::PaintGroupFrames() {
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    const QRect shown = viewport()->rect();
    const int margin = std::max(1, spacing() / 2);
    QRect frame;
    QModelIndex previous;
    QRect previousRect;
    const auto drawFrame = [&] {
        if (!frame.isNull())
            painter.drawRoundedRect(QRectF(frame).adjusted(-margin, -margin, margin, margin), 4, 4);
        frame = QRect();
    };
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex cell = model()->index(row, 0);
        const QRect rect = visualRect(cell);
        if (!cell.data(ThumbnailModel::GroupedRole).toBool() || !rect.intersects(shown)) {
            drawFrame();
            previous = QModelIndex();
            continue;
        }
        if (!InOneFrame(cell, rect, previous, previousRect))
            drawFrame();
        frame = frame.united(rect);
        previous = cell;
        previousRect = rect;
    }
    drawFrame();
}
