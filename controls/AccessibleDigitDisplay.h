#pragma once

#include <QAccessibleWidget>

#include <functional>

// What a screen reader gets of a seven-segment display: the characters it
// shows, as its value and as read-only text. A counter's number is also its
// current value, so its changes reach readers as value changes.
class AccessibleDigitDisplay : public QAccessibleWidget,
                               public QAccessibleTextInterface,
                               public QAccessibleValueInterface {
public:
    AccessibleDigitDisplay(QWidget* display, std::function<QString()> shownText, bool numeric);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
    // Nothing can be selected, edited or scrolled, and no caret is shown.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    std::function<QString()> shownText;
    bool numeric;
};
