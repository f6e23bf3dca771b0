#pragma once

#include <QRect>
#include <QSize>

// Converts dialog-template positions (MS Sans Serif 8 dialog units) to pixels:
// one horizontal unit is 1.5 pixels, one vertical unit 1.625 pixels.
class DialogUnits {
public:
    static QRect toPixels(int left, int top, int width, int height);
    static QSize toPixels(int width, int height);
};
