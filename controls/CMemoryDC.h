#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

// An off-screen painter: everything drawn into it (in the target's
// coordinates) reaches the target as one block copy when it goes out of
// scope, so the screen never shows a half-drawn control.
class CMemoryDC : public QPainter {
public:
    // An all-zero rectangle stands for the target's current clip box.
    CMemoryDC(QPainter& target, const QRect& rect);
    ~CMemoryDC();

    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    QRect Area() const { return area; }

private:
    static QRect ClipBox(const QPainter& target);

    QPainter& target;
    QRect area;
    QPixmap bitmap;
};
