#pragma once

#include <QColor>
#include <QPainter>

// Draws seven-segment cells for the digit displays. A cell is addressed by
// its left edge; segments are straight lines of the pen width p laid out
// from the thickness p and the segment length q.
class SevenSegmentPainter {
public:
    enum Segment : unsigned {
        Top = 0x80,
        UpperRight = 0x40,
        LowerRight = 0x20,
        Bottom = 0x10,
        LowerLeft = 0x08,
        UpperLeft = 0x04,
        Middle = 0x02,
        AllSegments = 0xFE,
    };

    SevenSegmentPainter(QPainter& painter, int thickness, int segmentLength);

    // p or q from the control's height: height times factor, truncated, at least 1.
    static int Metric(int height, double factor);
    // Each colour byte divided by 3.
    static QColor UnlitColour(const QColor& lit);
    // The lit segments of a decimal digit; 0 for any other character.
    static unsigned DigitCode(char character);

    void DrawSegments(int x, unsigned code, const QColor& colour);
    void DrawLine(int x1, int y1, int x2, int y2, const QColor& colour);

private:
    QPainter& painter;
    int p;
    int q;
};
