#pragma once

#include <QByteArray>
#include <QtGlobal>

class QImage;

// What a picture looks like, in 63 bits and a brightness: the signs of the
// lowest frequencies of a 32 x 32 greyscale copy (a DCT hash). Low
// frequencies outlast resizing and re-encoding, which change the fine detail;
// the brightness keeps plain pictures of different shades apart, whose
// frequencies are all about zero. Computed from a picture decoded small.
class PerceptualHash {
public:
    // None: the picture was never decoded; alike to nothing.
    PerceptualHash() = default;

    static PerceptualHash Of(const QImage& image);

    bool IsValid() const { return brightness >= 0; }
    // How many of the bits differ.
    int Distance(const PerceptualHash& other) const;
    // Within the distance and brightness that the same picture resized and
    // re-encoded keeps, and different pictures of similar colours do not.
    // Measured (bench/alike): copies at 25% to 100% as PNG and JPEG of
    // quality 60 to 95 differ in at most 4 bits, different scenes drawn in the
    // same colours in at least 18. The limit leans to the copies' side: a
    // copy kept twice costs room, a picture dropped as a copy is lost.
    bool IsAlike(const PerceptualHash& other) const;

    // "bits/brightness", the bits in hexadecimal; "-" for none.
    QByteArray ToText() const;
    // Nothing valid for text that ToText did not write.
    static PerceptualHash FromText(const QByteArray& text);

    static constexpr int MaxDistance = 10;
    static constexpr int MaxBrightnessStep = 24;

private:
    PerceptualHash(quint64 bits, int brightness) : bits(bits), brightness(brightness) {}

    quint64 bits = 0;
    int brightness = -1; // the mean grey, 0 to 255; -1 for none
};
