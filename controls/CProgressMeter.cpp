#include "controls/CProgressMeter.h"

#include <QAccessible>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

CProgressMeter::CProgressMeter(QWidget* parent)
    : QAbstractButton(parent), backgroundColour(QApplication::palette().color(QPalette::Button)) {
    // A fixed width makes every geometry the owner gives keep its left, top
    // and height but come out 80 pixels wide.
    setFixedWidth(Width);
    setFocusPolicy(Qt::NoFocus);
}

void CProgressMeter::SetBackgroundColour(const QColor& colour) {
    backgroundColour = colour;
}

void CProgressMeter::SetHighlightColour(const QColor& colour) {
    highlightColour = colour;
}

void CProgressMeter::SetShadowColour(const QColor& colour) {
    shadowColour = colour;
}

void CProgressMeter::SetSegmentColour(const QColor& colour) {
    segmentColour = colour;
}

void CProgressMeter::SetLevel(int n) {
    if (n < 0 || n > SegmentCount)
        return;
    ShowLevel(n);
}

void CProgressMeter::SetProgress(int progress, int maximum) {
    if (progress < 0 || maximum <= 0)
        return;
    const double percent = static_cast<double>(progress) / maximum * 100;
    if (percent > 100) {
        ShowLevel(SegmentCount);
    } else {
        // A finished load reads exactly 100 % and empties the meter.
        const float rounded = static_cast<float>(percent);
        ShowLevel(rounded == 100.0f ? 0 : static_cast<int>(rounded * 0.1));
    }
}

void CProgressMeter::ShowLevel(int n) {
    const bool changed = n != level;
    level = n;
    update();
    if (!changed)
        return;
    QAccessibleValueChangeEvent event(this, level);
    QAccessible::updateAccessibility(&event);
}

int CProgressMeter::Level() const {
    return level;
}

void CProgressMeter::ComputeSegments(const QRect& item) {
    const int w = item.width() / SegmentCount;
    for (int k = 0; k < SegmentCount; ++k) {
        const int left = item.left() + 1 + k * w;
        segments[k] = QRect(left, item.top() + 2, w, item.height() - 4);
    }
}

// Top and left edges in one colour, bottom and right edges (with both of
// their end pixels) in the other.
void CProgressMeter::DrawFrame(QPainter& painter, const QRect& frame, const QColor& topLeft,
                               const QColor& bottomRight) {
    const int x = frame.left();
    const int y = frame.top();
    const int cx = frame.width();
    const int cy = frame.height();
    painter.fillRect(x, y, cx - 1, 1, topLeft);
    painter.fillRect(x, y, 1, cy - 1, topLeft);
    painter.fillRect(x + cx - 1, y, 1, cy, bottomRight);
    painter.fillRect(x, y + cy - 1, cx, 1, bottomRight);
}

// Pressed and focus states are ignored: the meter always looks the same.
void CProgressMeter::paintEvent(QPaintEvent*) {
    QRect item = rect();
    ComputeSegments(item);
    QPainter painter(this);
    painter.fillRect(item, backgroundColour);
    for (int k = 0; k < level; ++k)
        painter.fillRect(segments[k], segmentColour);
    DrawFrame(painter, item, highlightColour, shadowColour);
    item.adjust(1, 1, -1, -1);
    DrawFrame(painter, item, highlightColour, shadowColour);
    item.adjust(1, 1, -1, -1);
    DrawFrame(painter, item, highlightColour, highlightColour);
}

// Swallowed, so that a double click is not turned into a second press.
void CProgressMeter::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

#include "moc_CProgressMeter.cpp"
