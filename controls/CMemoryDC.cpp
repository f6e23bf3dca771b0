#include "controls/CMemoryDC.h"

#include <QPaintDevice>

CMemoryDC::CMemoryDC(QPainter& target, const QRect& rect)
    : target(target), area(rect.isNull() ? ClipBox(target) : rect) {
    const qreal ratio = target.device()->devicePixelRatioF();
    bitmap = QPixmap(area.size() * ratio);
    bitmap.setDevicePixelRatio(ratio);
    begin(&bitmap);
    translate(-area.topLeft());
}

CMemoryDC::~CMemoryDC() {
    end();
    target.save();
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawPixmap(area.topLeft(), bitmap);
    target.restore();
}

QRect CMemoryDC::ClipBox(const QPainter& target) {
    if (target.hasClipping())
        return target.clipBoundingRect().toAlignedRect();
    return QRect(0, 0, target.device()->width(), target.device()->height());
}
