#include "thumbnails/PerceptualHash.h"

#include "thumbnails/LabColour.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QtAlgorithms>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Side = 32;       // the small copy
constexpr int Frequencies = 8; // the lowest, in each direction
constexpr int PartSide = Side / PerceptualHash::Grid;
constexpr double Pi = 3.14159265358979323846;
// A frequency is sure when it stands further from the median than this share
// of the frequencies' typical distance from it, and than this amplitude in
// grey levels: nearer, a re-encoding may move it to the other side.
constexpr double SureShare = 0.2;
constexpr double SureLevels = 1.0;
constexpr char TextVersion = '2';

using Grey = std::array<std::array<double, Side>, Side>; // [y][x]
using Coefficients = std::array<double, Frequencies * Frequencies>;

// Transparent parts count as the white a page usually shows behind them.
QImage SmallCopy(const QImage& image) {
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.scaled(Side, Side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
// [v][u], the constant term first. Scaled so that a frequency's value is
// about the amplitude of its wave in grey levels.
Coefficients LowFrequencies(const Grey& grey) {
    const auto& cosines = Cosines();
    std::array<std::array<double, Frequencies>, Side> rows{}; // [y][u]
    for (int y = 0; y < Side; ++y)
        for (int u = 0; u < Frequencies; ++u)
            for (int x = 0; x < Side; ++x)
                rows[y][u] += grey[y][x] * cosines[u][x];
    Coefficients result{};
    for (int v = 0; v < Frequencies; ++v)
        for (int u = 0; u < Frequencies; ++u) {
            for (int y = 0; y < Side; ++y)
                result[v * Frequencies + u] += rows[y][u] * cosines[v][y];
            result[v * Frequencies + u] /= Side * Side / 4;
        }
    return result;
}

double Median(std::vector<double> values) {
    auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// How much a pixel in column (or row) x counts for the parts of each column:
// a tent over two parts' widths around the part's middle, so that a few
// pixels trimmed or added move a part's colour little.
const std::array<std::array<double, Side>, PerceptualHash::Grid>& PartWeights() {
    static const auto table = [] {
        std::array<std::array<double, Side>, PerceptualHash::Grid> weights{};
        for (int part = 0; part < PerceptualHash::Grid; ++part)
            for (int x = 0; x < Side; ++x) {
                const double middle = (part + 0.5) * PartSide;
                weights[part][x] = std::max(0.0, 1 - std::abs(x + 0.5 - middle) / PartSide);
            }
        return weights;
    }();
    return table;
}

std::array<LabColour, PerceptualHash::Parts> PartColours(const QImage& small) {
    const auto& weights = PartWeights();
    std::array<LabColour, PerceptualHash::Parts> sums{};
    std::array<double, PerceptualHash::Parts> totals{};
    for (int y = 0; y < Side; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < Side; ++x) {
            const LabColour colour = LabColour::Of(line[x]);
            for (int row = 0; row < PerceptualHash::Grid; ++row)
                for (int column = 0; column < PerceptualHash::Grid; ++column) {
                    const double weight = weights[row][y] * weights[column][x];
                    const size_t part = size_t(row * PerceptualHash::Grid + column);
                    sums[part].L += weight * colour.L;
                    sums[part].a += weight * colour.a;
                    sums[part].b += weight * colour.b;
                    totals[part] += weight;
                }
        }
    }
    for (size_t part = 0; part < sums.size(); ++part)
        sums[part] = {sums[part].L / totals[part], sums[part].a / totals[part],
                      sums[part].b / totals[part]};
    return sums;
}

qint8 Rounded(double value, double low, double high) {
    return qint8(std::lround(std::clamp(value, low, high)));
}

QByteArray Hex(quint64 value) {
    return QByteArray::number(value, 16);
}

} // namespace

PerceptualHash PerceptualHash::Of(const QImage& image) {
    if (image.isNull())
        return PerceptualHash();
    const QImage small = SmallCopy(image);
    Grey grey{};
    for (int y = 0; y < Side; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < Side; ++x)
            grey[y][x] = qGray(line[x]);
    }
    PerceptualHash hash;
    hash.valid = true;
    const auto colours = PartColours(small);
    for (size_t part = 0; part < colours.size(); ++part)
        hash.colours[part] = {Rounded(colours[part].L, 0, 100), Rounded(colours[part].a, -128, 127),
                              Rounded(colours[part].b, -128, 127)};
    // The constant term is the brightness, which the colours hold; the others
    // are compared with their median, so half of the bits are set whatever
    // the contrast.
    const Coefficients frequencies = LowFrequencies(grey);
    const std::vector<double> varying(frequencies.begin() + 1, frequencies.end());
    const double median = Median(varying);
    std::vector<double> spread;
    for (double value : varying)
        spread.push_back(std::abs(value - median));
    const double band = std::max(SureLevels, SureShare * Median(spread));
    for (size_t i = 1; i < frequencies.size(); ++i) {
        const quint64 bit = quint64(1) << (i - 1);
        if (frequencies[i] > median)
            hash.bits |= bit;
        if (std::abs(frequencies[i] - median) > band)
            hash.sure |= bit;
    }
    return hash;
}

bool PerceptualHash::Comparison::IsWithin(double differingShare, double colourDistance) const {
    return differing <= std::max(1.0, differingShare * compared) && oneSided <= compared &&
           colour <= colourDistance;
}

PerceptualHash::Comparison
PerceptualHash::StructureComparedWith(const PerceptualHash& other) const {
    Comparison comparison;
    const quint64 both = sure & other.sure;
    comparison.differing = qPopulationCount((bits ^ other.bits) & both);
    comparison.compared = qPopulationCount(both);
    comparison.oneSided = qPopulationCount(sure ^ other.sure);
    return comparison;
}

LabColour PerceptualHash::PartColour::Lab() const {
    return {double(L), double(a), double(b)};
}

// How far each part's colour stands from other's colours at that place: from
// the nearest blend of other's part there with one of its neighbours, as a
// picture moved by a few pixels blends them; the farthest part counts.
double PerceptualHash::FarthestPartFrom(const PerceptualHash& other) const {
    double farthest = 0;
    for (int row = 0; row < Grid; ++row)
        for (int column = 0; column < Grid; ++column) {
            const LabColour here = colours[size_t(row * Grid + column)].Lab();
            const LabColour there = other.colours[size_t(row * Grid + column)].Lab();
            double nearest = here.DistanceTo(there);
            for (int nextRow = std::max(0, row - 1); nextRow <= std::min(Grid - 1, row + 1);
                 ++nextRow)
                for (int next = std::max(0, column - 1); next <= std::min(Grid - 1, column + 1);
                     ++next)
                    nearest = std::min(
                        nearest, here.DistanceToBlend(
                                     there, other.colours[size_t(nextRow * Grid + next)].Lab()));
            farthest = std::max(farthest, nearest);
        }
    return farthest;
}

double PerceptualHash::ColourDistance(const PerceptualHash& other) const {
    return std::max(FarthestPartFrom(other), other.FarthestPartFrom(*this));
}

PerceptualHash::Comparison PerceptualHash::CompareWith(const PerceptualHash& other) const {
    Comparison comparison = StructureComparedWith(other);
    comparison.colour = ColourDistance(other);
    return comparison;
}

// The bits first: most pairs part there, at a fraction of the colours' cost.
bool PerceptualHash::IsAlike(const PerceptualHash& other) const {
    if (!IsValid() || !other.IsValid())
        return false;
    Comparison comparison = StructureComparedWith(other);
    if (!comparison.IsWithin(MaxDifferingShare, MaxColourDistance))
        return false;
    comparison.colour = ColourDistance(other);
    return comparison.IsWithin(MaxDifferingShare, MaxColourDistance);
}

// "2:bits:sure:colours", the colours a byte each of L, a and b for every part.
QByteArray PerceptualHash::ToText() const {
    if (!IsValid())
        return QByteArrayLiteral("-");
    QByteArray parts;
    for (const PartColour& colour : colours) {
        parts.append(char(colour.L));
        parts.append(char(colour.a));
        parts.append(char(colour.b));
    }
    return TextVersion + (':' + Hex(bits) + ':' + Hex(sure) + ':' + parts.toHex());
}

PerceptualHash PerceptualHash::FromText(const QByteArray& text) {
    const QList<QByteArray> fields = text.split(':');
    if (fields.size() != 4 || fields[0] != QByteArray(1, TextVersion))
        return PerceptualHash();
    bool bitsRead = false;
    bool sureRead = false;
    PerceptualHash hash;
    hash.bits = fields[1].toULongLong(&bitsRead, 16);
    hash.sure = fields[2].toULongLong(&sureRead, 16);
    const QByteArray parts = QByteArray::fromHex(fields[3]);
    constexpr quint64 AllBits = (quint64(1) << (Frequencies * Frequencies - 1)) - 1;
    if (!bitsRead || !sureRead || ((hash.bits | hash.sure) & ~AllBits) ||
        parts.size() != 3 * Parts || fields[3].size() != 6 * Parts)
        return PerceptualHash();
    for (int part = 0; part < Parts; ++part) {
        const PartColour colour{qint8(parts[3 * part]), qint8(parts[3 * part + 1]),
                                qint8(parts[3 * part + 2])};
        if (colour.L < 0 || colour.L > 100)
            return PerceptualHash();
        hash.colours[size_t(part)] = colour;
    }
    hash.valid = true;
    return hash;
}
