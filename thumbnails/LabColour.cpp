#include "thumbnails/LabColour.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// sRGB's gamma undone, for each of the 256 levels of a channel.
const std::array<double, 256>& LinearLevels() {
    static const auto levels = [] {
        std::array<double, 256> linear{};
        for (int level = 0; level < 256; ++level) {
            const double value = level / 255.0;
            linear[size_t(level)] =
                value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        }
        return linear;
    }();
    return levels;
}

double LabCurve(double ratio) {
    constexpr double Edge = 216.0 / 24389.0;
    return ratio > Edge ? std::cbrt(ratio) : (24389.0 / 27.0 * ratio + 16.0) / 116.0;
}

} // namespace

LabColour LabColour::Of(QRgb rgb) {
    const auto& linear = LinearLevels();
    const double red = linear[size_t(qRed(rgb))];
    const double green = linear[size_t(qGreen(rgb))];
    const double blue = linear[size_t(qBlue(rgb))];
    // XYZ relative to the D65 white point.
    const double x = LabCurve((0.4124 * red + 0.3576 * green + 0.1805 * blue) / 0.95047);
    const double y = LabCurve(0.2126 * red + 0.7152 * green + 0.0722 * blue);
    const double z = LabCurve((0.0193 * red + 0.1192 * green + 0.9505 * blue) / 1.08883);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

double LabColour::DistanceTo(const LabColour& other) const {
    return std::hypot(L - other.L, a - other.a, b - other.b);
}

double LabColour::DistanceToBlend(const LabColour& one, const LabColour& other) const {
    const double towardsL = other.L - one.L;
    const double towardsA = other.a - one.a;
    const double towardsB = other.b - one.b;
    const double length = towardsL * towardsL + towardsA * towardsA + towardsB * towardsB;
    if (length == 0)
        return DistanceTo(one);
    const double share = std::clamp(
        ((L - one.L) * towardsL + (a - one.a) * towardsA + (b - one.b) * towardsB) / length, 0.0,
        1.0);
    return DistanceTo(
        {one.L + share * towardsL, one.a + share * towardsA, one.b + share * towardsB});
}
