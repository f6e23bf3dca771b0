#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QRect>
#include <array>

class QPainter;

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

    static constexpr int SegmentCount = 10;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    static constexpr int Width = 80;

    void ComputeSegments(const QRect& item);
    static void DrawFrame(QPainter& painter, const QRect& frame, const QColor& topLeft,
                          const QColor& bottomRight);
    void ShowLevel(int n);

    QColor backgroundColour;
    QColor highlightColour = QColor(0, 255, 0);
    QColor shadowColour = QColor(0, 100, 0);
    QColor segmentColour = QColor(255, 0, 0);
    int level = 0;
    std::array<QRect, SegmentCount> segments;
};
