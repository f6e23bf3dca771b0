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
    if (!groupFramesShown || !model())
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    for (const QPainterPath& frame : GroupFrames())
        painter.drawPath(frame);
}

// In the spacing between the cells. Grouped cells stand together, the best
// first, so a group is a run of rows with one best.
QList<QPainterPath> ThumbnailGrid::GroupFrames() const {
    QList<QPainterPath> frames;
    if (!model())
        return frames;
    const QRect shown = viewport()->rect();
    QList<QRect> lines; // of the group being gathered
    QVariant group;
    const auto finish = [&] {
        if (!lines.isEmpty())
            frames.append(FrameOf(lines));
        lines.clear();
    };
    for (int row = 0; row < model()->rowCount(); ++row) {
        const QModelIndex cell = model()->index(row, 0);
        const QRect rect = visualRect(cell);
        const QVariant best = cell.data(ThumbnailModel::BestRowRole);
        if (!cell.data(ThumbnailModel::GroupedRole).toBool() || best != group)
            finish();
        group = best;
        if (!cell.data(ThumbnailModel::GroupedRole).toBool() || !rect.intersects(shown))
            continue;
        if (!lines.isEmpty() && lines.last().top() == rect.top())
            lines.last() = lines.last().united(rect);
        else
            lines.append(rect);
    }
    finish();
    return frames;
}

// A line the group goes on from is open on its right, reaching the end of
// the line; one it comes from is open on its left, from the start.
QPainterPath ThumbnailGrid::FrameOf(const QList<QRect>& lines) const {
    const int margin = std::max(1, spacing() / 2);
    const qreal start = margin / 2.0;
    const qreal end = viewport()->width() - margin / 2.0;
    QPainterPath frame;
    for (int line = 0; line < lines.size(); ++line) {
        const QRectF box = QRectF(lines[line]).adjusted(-margin, -margin, margin, margin);
        const bool fromBefore = line > 0;
        const bool onAfter = line + 1 < lines.size();
        if (!fromBefore && !onAfter) {
            frame.addRoundedRect(box, 4, 4);
            continue;
        }
        const qreal left = fromBefore ? start : box.left();
        const qreal right = onAfter ? end : box.right();
        frame.moveTo(onAfter ? right : left, box.top());
        if (fromBefore && onAfter) {
            frame.lineTo(left, box.top());
            frame.moveTo(left, box.bottom());
            frame.lineTo(right, box.bottom());
            continue;
        }
        if (onAfter) {
            frame.lineTo(left, box.top());
            frame.lineTo(left, box.bottom());
            frame.lineTo(right, box.bottom());
        } else {
            frame.lineTo(right, box.top());
            frame.lineTo(right, box.bottom());
            frame.lineTo(left, box.bottom());
        }
    }
    return frame;
}
