#include "core/PopupPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

void PopupPlacement::CentreOnMousePointer(QWidget& popup) {
    const QPoint pointer = QCursor::pos();
    QRect frame(QPoint(), popup.size());
    frame.moveCenter(pointer);
    if (const QScreen* screen = QGuiApplication::screenAt(pointer)) {
        const QRect available = screen->availableGeometry();
        frame.moveLeft(
            qBound(available.left(), frame.left(), available.right() - frame.width() + 1));
        frame.moveTop(
            qBound(available.top(), frame.top(), available.bottom() - frame.height() + 1));
    }
    popup.move(frame.topLeft());
}
