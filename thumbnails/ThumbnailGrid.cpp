#include "thumbnails/ThumbnailGrid.h"

#include <QKeyEvent>

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
