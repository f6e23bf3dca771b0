#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QRect>
#include <array>

// Ten-segment page-load meter; always 80 pixels wide once placed.
class CProgressMeter : public QAbstractButton {
    Q_OBJECT
public:
    explicit CProgressMeter(QWidget* parent = nullptr);

    // The setters only store the colour; they do not repaint.
    void SetBackgroundColour(const QColor& colour);
    void SetHighlightColour(const QColor& colour);
    void SetShadowColour(const QColor& colour);
    void SetSegmentColour(const QColor& colour);

    // 0..10 filled segments; other values are ignored.
    void SetLevel(int n);
    // Converts an engine progress report into a level.
    void SetProgress(int progress, int maximum);
    int Level() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
