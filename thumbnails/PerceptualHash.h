#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>

class QImage;
struct LabColour;

// What a picture looks like: its structure and its colours. The structure is
// 63 bits, the signs of the lowest frequencies of a 32 x 32 greyscale copy
// against their median (a DCT hash); a frequency too close to the median to
// be sure of is marked, and a bit unsure on either side counts for neither.
// The colours are the mean colour of each part of an 8 x 8 grid, in CIELAB,
// where a distance is about as visible whatever the colours. Low frequencies
// and mean colours outlast resizing, re-encoding and trimming a few pixels,
// which change the fine detail; a picture turned to other colours keeps its
// structure but not its colours. Computed from a picture decoded small.
class PerceptualHash {
public:
    static constexpr int Grid = 8; // parts of the colour signature on each side
    static constexpr int Parts = Grid * Grid;

    // How two pictures compare: the structure by bits, the colours by parts.
    struct Comparison {
        int differing = 0; // bits sure on both sides that differ
        int compared = 0;  // bits sure on both sides
        int oneSided = 0;  // bits sure on one side only
        double colour = 0; // the largest colour difference of a part from the other's there

        // Whether one bit, or at most differingShare of the compared bits,
        // differ, no more bits are sure on one side only than on both (a plain
        // picture is not alike to one with a clear structure), and no part's
        // colour is further than colourDistance.
        bool IsWithin(double differingShare, double colourDistance) const;
    };

    // None: the picture was never decoded; alike to nothing.
    PerceptualHash() = default;

    static PerceptualHash Of(const QImage& image);

    bool IsValid() const { return valid; }
    Comparison CompareWith(const PerceptualHash& other) const;
    // Within the bounds that the same picture resized, re-encoded and trimmed
    // keeps, and that different photographs, and the same photograph in other
    // colours, do not.
    bool IsAlike(const PerceptualHash& other) const;

    // Versioned text of hexadecimal fields; "-" for none.
    QByteArray ToText() const;
    // Nothing valid for text that ToText did not write, such as an older form.
    static PerceptualHash FromText(const QByteArray& text);

    // Measured on 26 photographs and 42 drawn backgrounds (bench/alike):
    // their copies (JPEG 60 to 95, WebP, halved and quartered, cropped by 2 to
    // 8 pixels) differ in at most one of the bits compared, and are all found
    // by a colour bound of 6 but one (a WebP of thin coloured lines, 8.3);
    // colour versions and different photographs of close structure are found
    // from 8 on. Two photographs of one motorcycle from a little aside differ
    // in 3 of 52 bits.
    static constexpr double MaxDifferingShare = 0.05;
    static constexpr double MaxColourDistance = 7;

private:
    Comparison StructureComparedWith(const PerceptualHash& other) const;
    double FarthestPartFrom(const PerceptualHash& other) const;
    double ColourDistance(const PerceptualHash& other) const;

    // A part's mean colour, rounded: L from 0 to 100, a and b from -128 to 127.
    struct PartColour {
        qint8 L = 0, a = 0, b = 0;

        LabColour Lab() const;
    };

    quint64 bits = 0;
    quint64 sure = 0; // the bits whose frequency stands clear of the median
    std::array<PartColour, Parts> colours{};
    bool valid = false;
};
