#include "controls/AccessibleDigitDisplay.h"

#include <climits>
#include <utility>

AccessibleDigitDisplay::AccessibleDigitDisplay(QWidget* display, std::function<QString()> shownText,
                                               bool numeric)
    : QAccessibleWidget(display, QAccessible::StaticText), shownText(std::move(shownText)),
      numeric(numeric) {}

QString AccessibleDigitDisplay::text(QAccessible::Text t) const {
    return t == QAccessible::Value ? shownText() : QAccessibleWidget::text(t);
}

void* AccessibleDigitDisplay::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface && numeric)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleDigitDisplay::text(int startOffset, int endOffset) const {
    return shownText().mid(startOffset, endOffset - startOffset);
}

int AccessibleDigitDisplay::characterCount() const {
    return int(shownText().size());
}

QString AccessibleDigitDisplay::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = offset;
    *endOffset = offset;
    return QString();
}

void AccessibleDigitDisplay::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

int AccessibleDigitDisplay::selectionCount() const {
    return 0;
}

void AccessibleDigitDisplay::addSelection(int, int) {}

void AccessibleDigitDisplay::removeSelection(int) {}

void AccessibleDigitDisplay::setSelection(int, int, int) {}

int AccessibleDigitDisplay::cursorPosition() const {
    return 0;
}

void AccessibleDigitDisplay::setCursorPosition(int) {}

QRect AccessibleDigitDisplay::characterRect(int) const {
    return QRect();
}

int AccessibleDigitDisplay::offsetAtPoint(const QPoint&) const {
    return -1;
}

void AccessibleDigitDisplay::scrollToSubstring(int, int) {}

QVariant AccessibleDigitDisplay::currentValue() const {
    return shownText().toInt();
}

// Shown, never set by the user.
void AccessibleDigitDisplay::setCurrentValue(const QVariant&) {}

QVariant AccessibleDigitDisplay::maximumValue() const {
    return INT_MAX;
}

QVariant AccessibleDigitDisplay::minimumValue() const {
    return qMin(0, currentValue().toInt());
}

QVariant AccessibleDigitDisplay::minimumStepSize() const {
    return 1;
}
