// How well "look alike" keeps to copies of one picture, on real photographs.
// Each photograph (fitted into 1280 x 1280) is hashed as the Thumbnails window
// hashes pictures (decoded small from the encoded bytes) and compared with:
// - its copies: resized, re-encoded as JPEG (quality 60 to 95) and WebP, and
//   cropped by a few pixels; each should be found alike;
// - its colour versions: hues turned, only its colourful parts turned (a
//   product in another colour), greyscale, channels swapped; none should be
//   alike, where the version visibly differs (some part of it changed its
//   mean colour by at least VisibleChange in CIELAB);
// - the other photographs, two framings of it (the top left and the bottom
//   right 80%) and the pairs given with --pair (different photographs of one
//   subject); none should be alike.
// Then drawn cases: 12 flat colours of similar brightness (none alike to
// another, each alike to its JPEG copy), pictures of rings as PNG and JPEG
// (alike), and 32 frames of a disc moving across (each frame left out must be
// alike to the one kept for it). Prints the counts and, for each kind of pair,
// how their distances spread, to set the bounds by.
// Usage: quillmar-alike-bench [--pair PHOTO PHOTO]... PHOTO...
#include "support/DrawnScene.h"
#include "thumbnails/AlikeGroups.h"
#include "thumbnails/LabColour.h"
#include "thumbnails/PerceptualHash.h"
#include "thumbnails/ThumbnailMaker.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int WorkingSide = 1280;
constexpr double VisibleChange = 10;
constexpr int ChangeGrid = 8;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QByteArray Encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

PerceptualHash HashOf(const QByteArray& bytes) {
    return ThumbnailMaker::Make(bytes).hash;
}

QImage Scaled(const QImage& image, double factor) {
    return image.scaled(std::max(1, int(image.width() * factor)),
                        std::max(1, int(image.height() * factor)), Qt::IgnoreAspectRatio,
                        Qt::SmoothTransformation);
}

QImage Cropped(const QImage& image, int left, int top, int right, int bottom) {
    return image.copy(left, top, image.width() - left - right, image.height() - top - bottom);
}

struct Version {
    QString name;
    QByteArray bytes;
};

std::vector<Version> CopiesOf(const QImage& photo) {
    std::vector<Version> copies;
    for (int quality : {95, 85, 75, 60})
        copies.push_back({QStringLiteral("JPEG %1").arg(quality), Encoded(photo, "jpeg", quality)});
    copies.push_back({"50% JPEG 75", Encoded(Scaled(photo, 0.5), "jpeg", 75)});
    copies.push_back({"25% JPEG 60", Encoded(Scaled(photo, 0.25), "jpeg", 60)});
    copies.push_back({"50% PNG", Encoded(Scaled(photo, 0.5), "png")});
    copies.push_back({"WebP 80", Encoded(photo, "webp", 80)});
    copies.push_back({"50% WebP 60", Encoded(Scaled(photo, 0.5), "webp", 60)});
    copies.push_back(
        {"cropped 2 px round, JPEG 85", Encoded(Cropped(photo, 2, 2, 2, 2), "jpeg", 85)});
    copies.push_back(
        {"cropped 5 px left and top, JPEG 85", Encoded(Cropped(photo, 5, 5, 0, 0), "jpeg", 85)});
    copies.push_back({"cropped 8 px right and bottom, 50% JPEG 80",
                      Encoded(Scaled(Cropped(photo, 0, 0, 8, 8), 0.5), "jpeg", 80)});
    return copies;
}

QImage Recoloured(const QImage& photo, const std::function<QRgb(QRgb)>& change) {
    QImage result = photo.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = change(line[x]);
    }
    return result;
}

QRgb HueTurned(QRgb rgb, int degrees, int leastSaturation) {
    const QColor colour = QColor::fromRgb(rgb).toHsv();
    if (colour.hsvSaturation() < leastSaturation)
        return rgb;
    return QColor::fromHsv((std::max(0, colour.hsvHue()) + degrees) % 360, colour.hsvSaturation(),
                           colour.value())
        .rgb();
}

struct ColourVersion {
    QString name;
    QImage image;
};

std::vector<ColourVersion> ColourVersionsOf(const QImage& photo) {
    std::vector<ColourVersion> versions;
    for (int degrees : {60, 120, 180, 240, 300})
        versions.push_back(
            {QStringLiteral("hue turned %1").arg(degrees),
             Recoloured(photo, [degrees](QRgb rgb) { return HueTurned(rgb, degrees, 0); })});
    for (int degrees : {120, 240})
        versions.push_back(
            {QStringLiteral("colourful parts turned %1").arg(degrees),
             Recoloured(photo, [degrees](QRgb rgb) { return HueTurned(rgb, degrees, 100); })});
    versions.push_back({"greyscale", Recoloured(photo, [](QRgb rgb) {
                            const int grey = qGray(rgb);
                            return qRgb(grey, grey, grey);
                        })});
    versions.push_back({"red and blue swapped", Recoloured(photo, [](QRgb rgb) {
                            return qRgb(qBlue(rgb), qGreen(rgb), qRed(rgb));
                        })});
    return versions;
}

// The mean colour of each part of a grid x grid split, in CIELAB.
std::vector<LabColour> PartColours(const QImage& image, int grid) {
    const QImage small =
        image.scaled(grid * 16, grid * 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    std::vector<LabColour> parts(size_t(grid * grid));
    for (int y = 0; y < small.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < small.width(); ++x) {
            const LabColour colour = LabColour::Of(line[x]);
            LabColour& part = parts[size_t(y / 16 * grid + x / 16)];
            part.L += colour.L / 256;
            part.a += colour.a / 256;
            part.b += colour.b / 256;
        }
    }
    return parts;
}

double LargestChange(const QImage& one, const QImage& other) {
    const auto oneParts = PartColours(one, ChangeGrid);
    const auto otherParts = PartColours(other, ChangeGrid);
    double largest = 0;
    for (size_t part = 0; part < oneParts.size(); ++part)
        largest = std::max(largest, oneParts[part].DistanceTo(otherParts[part]));
    return largest;
}

QImage Loaded(const QString& path) {
    QImage image(path);
    if (image.isNull())
        return image;
    if (image.width() > WorkingSide || image.height() > WorkingSide)
        image =
            image.scaled(WorkingSide, WorkingSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image.convertToFormat(QImage::Format_RGB32);
}

// The two framings of one scene: the top left and the bottom right 80%.
std::pair<QImage, QImage> Framings(const QImage& photo) {
    const int width = photo.width() * 4 / 5;
    const int height = photo.height() * 4 / 5;
    return {photo.copy(0, 0, width, height),
            photo.copy(photo.width() - width, photo.height() - height, width, height)};
}

// One kind of pair: each pair's hashes, and whether it should be alike.
struct Pairs {
    QString title;
    bool shouldBeAlike = false;
    std::vector<std::pair<PerceptualHash, PerceptualHash>> hashes = {};
    std::vector<QString> names = {};

    void Add(const PerceptualHash& one, const PerceptualHash& other, const QString& what) {
        hashes.push_back({one, other});
        names.push_back(what);
    }
    int Alike(double differingShare, double colourDistance) const {
        return int(std::count_if(hashes.begin(), hashes.end(), [&](const auto& pair) {
            return pair.first.IsValid() && pair.second.IsValid() &&
                   pair.first.CompareWith(pair.second).IsWithin(differingShare, colourDistance);
        }));
    }
    void Print() const {
        int alike = 0;
        std::vector<QString> wrong;
        for (size_t index = 0; index < hashes.size(); ++index) {
            const bool isAlike = hashes[index].first.IsAlike(hashes[index].second);
            alike += isAlike;
            const auto comparison = hashes[index].first.CompareWith(hashes[index].second);
            if (isAlike != shouldBeAlike && wrong.size() < 12)
                wrong.push_back(QStringLiteral("%1 (%2 of %3 bits differ, %4 sure on one side, "
                                               "colour %5)")
                                    .arg(names[index])
                                    .arg(comparison.differing)
                                    .arg(comparison.compared)
                                    .arg(comparison.oneSided)
                                    .arg(comparison.colour, 0, 'f', 1));
        }
        Out() << QStringLiteral("%1: %2 of %3 alike\n").arg(title).arg(alike).arg(hashes.size());
        for (const QString& what : wrong)
            Out() << "    " << what << '\n';
    }
};

QImage Flat(const QColor& colour) {
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A symmetric pattern of rings, wavelength in pixels, in grey or in colour.
QImage Rings(double wavelength, bool coloured) {
    QImage image(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double wave = std::cos(std::hypot(x - 400, y - 300) * 2 * 3.14159 / wavelength);
            const int level = int(128 + 100 * wave);
            image.setPixel(x, y,
                           coloured ? qRgb(level, 90, 255 - level) : qRgb(level, level, level));
        }
    return image;
}

void AddDrawnCases(Pairs& copies, Pairs& different) {
    std::vector<PerceptualHash> flats;
    for (int hue = 0; hue < 12; ++hue) {
        const QImage flat = Flat(QColor::fromHsl(hue * 30, 190, 128));
        flats.push_back(HashOf(Encoded(flat, "png")));
        copies.Add(flats.back(), HashOf(Encoded(flat, "jpeg", 85)),
                   QStringLiteral("flat hue %1 and its JPEG").arg(hue * 30));
    }
    for (int one = 0; one < 12; ++one)
        for (int other = one + 1; other < 12; ++other)
            different.Add(flats[size_t(one)], flats[size_t(other)],
                          QStringLiteral("flat hues %1 and %2").arg(one * 30).arg(other * 30));
    for (double wavelength : {6.0, 14.0, 30.0, 60.0, 120.0})
        for (bool coloured : {false, true}) {
            const QImage rings = Rings(wavelength, coloured);
            copies.Add(HashOf(Encoded(rings, "png")), HashOf(Encoded(rings, "jpeg", 80)),
                       QStringLiteral("rings every %1 px%2, PNG and JPEG 80")
                           .arg(wavelength)
                           .arg(coloured ? " in colour" : ""));
        }
}

void MovingDisc() {
    std::vector<PerceptualHash> frames;
    std::vector<AlikeGroups::Picture> pictures;
    for (int frame = 0; frame < 32; ++frame) {
        const QByteArray bytes = Encoded(testsupport::movingDisc(frame), "png");
        frames.push_back(HashOf(bytes));
        pictures.push_back({frames.back(), QSize(320, 240), "PNG", bytes.size()});
    }
    const AlikeGroups groups(pictures);
    int kept = 0, keptForUnlike = 0;
    for (int frame = 0; frame < 32; ++frame) {
        kept += groups.BestOf(frame) == frame;
        keptForUnlike += !frames[size_t(frame)].IsAlike(frames[size_t(groups.BestOf(frame))]);
    }
    Out() << QStringLiteral("32 frames of a moving disc: %1 kept, %2 left out for a frame "
                            "not alike to them\n")
                 .arg(kept)
                 .arg(keptForUnlike);
}

// For bounds around the chosen ones: the share of copies found and the
// different pictures taken for alike.
void PrintBounds(const Pairs& copies, const std::vector<const Pairs*>& different) {
    Out() << "bounds (share of bits, colour): copies found / different pictures alike\n";
    for (double share : {0.025, 0.05, 0.1, 0.2}) {
        Out() << QStringLiteral("  %1:").arg(share, 4, 'f', 2);
        for (double colour : {5.0, 6.0, 7.0, 8.0, 9.0, 10.0}) {
            int wrong = 0;
            for (const Pairs* pairs : different)
                wrong += pairs->Alike(share, colour);
            Out() << QStringLiteral("  %1 %2% / %3")
                         .arg(colour, 4, 'f', 1)
                         .arg(100.0 * copies.Alike(share, colour) / copies.hashes.size(), 5, 'f', 1)
                         .arg(wrong, 2);
        }
        Out() << '\n';
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    QStringList paths;
    std::vector<std::pair<QString, QString>> subjectPairs;
    const QStringList arguments = application.arguments().mid(1);
    for (int index = 0; index < arguments.size(); ++index) {
        if (arguments[index] == "--pair" && index + 2 < arguments.size()) {
            subjectPairs.push_back({arguments[index + 1], arguments[index + 2]});
            index += 2;
        } else {
            paths.append(arguments[index]);
        }
    }
    Pairs copies{"copies (all should be alike)", true};
    Pairs colours{"colour versions (none should be)", false};
    Pairs different{"different photographs and flat colours (none should be)", false};
    Pairs framings{"two framings of one photograph (none should be)", false};
    Pairs subjects{"photographs of one subject (none should be)", false};
    std::map<QString, std::pair<int, int>> copiesByKind; // found, tried
    int notVisible = 0;
    std::vector<std::pair<QString, PerceptualHash>> originals;
    for (const QString& path : std::as_const(paths)) {
        const QImage photo = Loaded(path);
        if (photo.isNull()) {
            Out() << "cannot read " << path << '\n';
            continue;
        }
        const QString name = QFileInfo(path).fileName();
        const PerceptualHash original = HashOf(Encoded(photo, "png"));
        originals.push_back({name, original});
        for (const Version& copy : CopiesOf(photo)) {
            const PerceptualHash hash = HashOf(copy.bytes);
            copies.Add(original, hash, name + ": " + copy.name);
            auto& [found, tried] = copiesByKind[copy.name];
            found += original.IsAlike(hash);
            ++tried;
        }
        for (const ColourVersion& version : ColourVersionsOf(photo)) {
            if (LargestChange(photo, version.image) < VisibleChange) {
                ++notVisible;
                continue;
            }
            for (const char* format : {"png", "jpeg"})
                colours.Add(original, HashOf(Encoded(version.image, format, 85)),
                            name + ": " + version.name + " as " + format);
        }
        const auto [topLeft, bottomRight] = Framings(photo);
        framings.Add(HashOf(Encoded(topLeft, "png")), HashOf(Encoded(bottomRight, "png")), name);
    }
    for (size_t one = 0; one < originals.size(); ++one)
        for (size_t other = one + 1; other < originals.size(); ++other)
            different.Add(originals[one].second, originals[other].second,
                          originals[one].first + " and " + originals[other].first);
    for (const auto& [one, other] : subjectPairs)
        subjects.Add(HashOf(Encoded(Loaded(one), "png")), HashOf(Encoded(Loaded(other), "png")),
                     QFileInfo(one).fileName() + " and " + QFileInfo(other).fileName());
    AddDrawnCases(copies, different);
    Out() << originals.size() << " photographs; bounds: share of bits "
          << PerceptualHash::MaxDifferingShare << ", colour " << PerceptualHash::MaxColourDistance
          << "\n";
    copies.Print();
    for (const auto& [kind, counts] : copiesByKind)
        Out()
            << QStringLiteral("    %1: %2 of %3\n").arg(kind).arg(counts.first).arg(counts.second);
    colours.Print();
    Out() << QStringLiteral("    (%1 versions left out: no part changed by %2 or more)\n")
                 .arg(notVisible)
                 .arg(VisibleChange);
    different.Print();
    framings.Print();
    subjects.Print();
    MovingDisc();
    PrintBounds(copies, {&colours, &different, &framings, &subjects});
    return 0;
}
