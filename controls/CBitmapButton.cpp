#include "controls/CBitmapButton.h"

#include "controls/BitmapTable.h"

#include <QKeyEvent>
#include <QPainter>

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent) {}

bool CBitmapButton::LoadBitmaps(int upBitmapId, int downBitmapId) {
    const QPixmap up = BitmapTable::pixmap(upBitmapId);
    const QPixmap down = BitmapTable::pixmap(downBitmapId);
    if (up.isNull() || down.isNull())
        return false;
    upImage = up;
    downImage = down;
    updateGeometry();
    update();
    return true;
}

QSize CBitmapButton::sizeHint() const {
    return upImage.isNull() ? QSize(20, 20) : upImage.size();
}

// The disabled state has no image of its own: it looks as when up.
void CBitmapButton::paintEvent(QPaintEvent*) {
    const QPixmap& image = isDown() ? downImage : upImage;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (image.isNull())
        return;
    QRect target(QPoint(0, 0), image.size());
    target.moveCenter(rect().center());
    painter.drawPixmap(target.topLeft(), image);
    if (!ShowsFocus())
        return;
    // Inside the two-pixel bevel, clear of the picture in the middle.
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(target.adjusted(2, 2, -3, -3));
}

// As the platform's own buttons do: the mark appears once the keyboard has
// moved the focus in this window, so mouse users see the buttons unchanged.
bool CBitmapButton::ShowsFocus() const {
    return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void CBitmapButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

#include "moc_CBitmapButton.cpp"
