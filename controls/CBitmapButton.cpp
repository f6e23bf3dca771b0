#include "controls/CBitmapButton.h"

#include "controls/BitmapTable.h"

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

// Focus and disabled states have no image of their own: they look as when up.
void CBitmapButton::paintEvent(QPaintEvent*) {
    const QPixmap& image = isDown() ? downImage : upImage;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (image.isNull())
        return;
    QRect target(QPoint(0, 0), image.size());
    target.moveCenter(rect().center());
    painter.drawPixmap(target.topLeft(), image);
}

#include "moc_CBitmapButton.cpp"
