#pragma once

#include <QRgb>

// A colour in CIELAB (D65 white): L from 0 (black) to 100 (white), a from
// green to red, b from blue to yellow. Equal distances there are about equally
// visible changes, as they are not in RGB; a difference of about 2.3 is the
// least a person notices.
struct LabColour {
    double L = 0;
    double a = 0;
    double b = 0;

    static LabColour Of(QRgb rgb);
    // The CIE 1976 colour difference.
    double DistanceTo(const LabColour& other) const;
    // The difference from the nearest mixture of one and other.
    double DistanceToBlend(const LabColour& one, const LabColour& other) const;
};
