#include "core/DialogUnits.h"

#include <cmath>

namespace {
int horizontal(int units) {
    return int(std::lround(units * 1.5));
}
int vertical(int units) {
    return int(std::lround(units * 1.625));
}
} // namespace

QRect DialogUnits::toPixels(int left, int top, int width, int height) {
    const int x = horizontal(left);
    const int y = vertical(top);
    return QRect(x, y, horizontal(left + width) - x, vertical(top + height) - y);
}

QSize DialogUnits::toPixels(int width, int height) {
    return QSize(horizontal(width), vertical(height));
}
