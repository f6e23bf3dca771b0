#include "controls/SevenSegmentPainter.h"

#include <QLine>
#include <QPen>

SevenSegmentPainter::SevenSegmentPainter(QPainter& painter, int thickness, int segmentLength)
    : painter(painter), p(thickness), q(segmentLength) {}

int SevenSegmentPainter::Metric(int height, double factor) {
    const double product = height * factor;
    return product < 1.0 ? 1 : static_cast<int>(product);
}

QColor SevenSegmentPainter::UnlitColour(const QColor& lit) {
    return QColor(lit.red() / 3, lit.green() / 3, lit.blue() / 3);
}

unsigned SevenSegmentPainter::DigitCode(char character) {
    static const unsigned codes[10] = {0xFC, 0x60, 0xDA, 0xF2, 0x66, 0xB6, 0xBE, 0xE0, 0xFE, 0xF6};
    if (character < '0' || character > '9')
        return 0;
    return codes[character - '0'];
}

void SevenSegmentPainter::DrawSegments(int x, unsigned code, const QColor& colour) {
    struct Stroke {
        Segment segment;
        int x1, y1, x2, y2;
    };
    const Stroke strokes[] = {
        {Top, x + 2 * p, p, x + q, p},
        {UpperRight, x + p + q, 2 * p, x + p + q, q + 2 * p},
        {LowerRight, x + p + q, q + 4 * p, x + p + q, 2 * q + 3 * p},
        {Bottom, x + 2 * p, 2 * q + 4 * p, x + q, 2 * q + 4 * p},
        {LowerLeft, x + p, q + 4 * p, x + p, 2 * q + 3 * p},
        {UpperLeft, x + p, 2 * p, x + p, q + 2 * p},
        {Middle, x + 2 * p, q + 3 * p, x + q, q + 3 * p},
    };
    for (const Stroke& stroke : strokes) {
        if (code & stroke.segment)
            DrawLine(stroke.x1, stroke.y1, stroke.x2, stroke.y2, colour);
    }
}

// A one-pixel line covers its start point but not its end point, as classic
// GDI line drawing does: flat caps give exactly that. Wider lines get round
// ends, like wide GDI pens.
void SevenSegmentPainter::DrawLine(int x1, int y1, int x2, int y2, const QColor& colour) {
    QPen pen(colour, p, Qt::SolidLine, p == 1 ? Qt::FlatCap : Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(x1, y1, x2, y2);
}
