#include "thumbnails/PerceptualHash.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int Side = 32;       // the greyscale copy
constexpr int Frequencies = 8; // the lowest, in each direction
constexpr double Pi = 3.14159265358979323846;

using Grey = std::array<std::array<double, Side>, Side>; // [y][x]

// Transparent parts count as the white a page usually shows behind them.
QImage GreyCopy(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.scaled(Side, Side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8);
}

const std::array<std::array<double, Side>, Frequencies>& Cosines() {
    static const auto table = [] {
        std::array<std::array<double, Side>, Frequencies> cosines{};
        for (int u = 0; u < Frequencies; ++u)
            for (int x = 0; x < Side; ++x)
                cosines[u][x] = std::cos((2 * x + 1) * u * Pi / (2 * Side));
        return cosines;
    }();
    return table;
}

// The low frequencies of the two-dimensional DCT, rows first, then columns;
// [v][u], the constant term first.
std::array<double, Frequencies * Frequencies> LowFrequencies(const Grey& grey) {
    const auto& cosines = Cosines();
    std::array<std::array<double, Frequencies>, Side> rows{}; // [y][u]
    for (int y = 0; y < Side; ++y)
        for (int u = 0; u < Frequencies; ++u)
            for (int x = 0; x < Side; ++x)
                rows[y][u] += grey[y][x] * cosines[u][x];
    std::array<double, Frequencies * Frequencies> result{};
    for (int v = 0; v < Frequencies; ++v)
        for (int u = 0; u < Frequencies; ++u)
            for (int y = 0; y < Side; ++y)
                result[v * Frequencies + u] += rows[y][u] * cosines[v][y];
    return result;
}

} // namespace

PerceptualHash PerceptualHash::Of(const QImage& image) {
    if (image.isNull())
        return PerceptualHash();
    const QImage small = GreyCopy(image);
    Grey grey{};
    double sum = 0;
    for (int y = 0; y < Side; ++y) {
        const uchar* line = small.constScanLine(y);
        for (int x = 0; x < Side; ++x) {
            grey[y][x] = line[x];
            sum += line[x];
        }
    }
    const auto frequencies = LowFrequencies(grey);
    // The constant term is the brightness, kept apart; the others are compared
    // with their median, so half of the bits are set whatever the contrast.
    std::array<double, Frequencies * Frequencies - 1> varying{};
    std::copy(frequencies.begin() + 1, frequencies.end(), varying.begin());
    auto middle = varying.begin() + varying.size() / 2;
    std::nth_element(varying.begin(), middle, varying.end());
    const double median = *middle;
    quint64 bits = 0;
    for (size_t i = 1; i < frequencies.size(); ++i) {
        if (frequencies[i] > median)
            bits |= quint64(1) << (i - 1);
    }
    return PerceptualHash(bits, int(std::lround(sum / (Side * Side))));
}

int PerceptualHash::Distance(const PerceptualHash& other) const {
    return qPopulationCount(bits ^ other.bits);
}

bool PerceptualHash::IsAlike(const PerceptualHash& other) const {
    return IsValid() && other.IsValid() && Distance(other) <= MaxDistance &&
           std::abs(brightness - other.brightness) <= MaxBrightnessStep;
}

QByteArray PerceptualHash::ToText() const {
    if (!IsValid())
        return QByteArrayLiteral("-");
    return QByteArray::number(bits, 16) + '/' + QByteArray::number(brightness);
}

PerceptualHash PerceptualHash::FromText(const QByteArray& text) {
    const QList<QByteArray> parts = text.split('/');
    bool bitsRead = false;
    bool brightnessRead = false;
    const quint64 bits = parts.value(0).toULongLong(&bitsRead, 16);
    const int brightness = parts.value(1).toInt(&brightnessRead);
    if (parts.size() != 2 || !bitsRead || !brightnessRead || brightness < 0 || brightness > 255)
        return PerceptualHash();
    return PerceptualHash(bits, brightness);
}
