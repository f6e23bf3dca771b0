#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// A control painted off-screen, read back pixel by pixel.
class RenderedImage {
public:
    explicit RenderedImage(QWidget& control)
        : image(control.grab().toImage().convertToFormat(QImage::Format_RGB32)) {}

    QColor at(int x, int y) const { return QColor(image.pixel(x, y)); }

    // The columns of row y that have the given colour, as a string of '#'
    // and '.' characters: handy for comparing stroke positions at a glance.
    QByteArray row(int y, const QColor& colour) const {
        QByteArray marks;
        for (int x = 0; x < image.width(); ++x)
            marks += at(x, y) == colour ? '#' : '.';
        return marks;
    }

    const QImage image;
};

namespace segmentcolours {
const QColor lit(0, 255, 0);
const QColor unlit(0, 85, 0);
const QColor ground(0, 0, 0);
} // namespace segmentcolours

// The segments (as bits 0x80 top .. 0x02 middle) of the 20-pixel-high cell at
// x that show the given colour, sampled at one pixel inside each segment.
inline unsigned segmentsIn(const RenderedImage& image, int x, const QColor& colour) {
    struct Probe {
        unsigned bit;
        int dx, y;
    };
    const Probe probes[] = {{0x80, 4, 1},  {0x40, 8, 5}, {0x20, 8, 13}, {0x10, 4, 18},
                            {0x08, 1, 13}, {0x04, 1, 5}, {0x02, 4, 10}};
    unsigned bits = 0;
    for (const Probe& probe : probes) {
        if (image.at(x + probe.dx, probe.y) == colour)
            bits |= probe.bit;
    }
    return bits;
}
