// Measures where the look-alike threshold goes: drawn scenes, each resized
// (25% to 100%) and re-encoded (JPEG quality 60 to 95, PNG), hashed as the
// Thumbnails window hashes them (decoded small from the encoded bytes). Pairs
// of copies of one scene should be alike; pairs of different scenes drawn in
// the same colours should not. Prints, for each distance, how many copies it
// misses and how many different pictures it matches, with and without the
// brightness step.
// Usage: quillmar-alike-bench [SCENES_PER_PALETTE]
#include "thumbnails/PerceptualHash.h"
#include "thumbnails/ThumbnailMaker.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QTextStream>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Width = 800;
constexpr int Height = 600;
constexpr std::array<int, 4> Percents = {100, 75, 50, 25};
constexpr std::array<int, 4> Qualities = {95, 85, 75, 60};
constexpr int MaxShown = 24; // distances beyond are counted with it

struct Palette {
    QColor sky, ground, accent, ink;
};

// Palettes of close colours: every scene of one palette has the same tones.
const std::vector<Palette>& Palettes() {
    static const std::vector<Palette> palettes = {
        {QColor(90, 140, 210), QColor(60, 120, 70), QColor(230, 200, 60), QColor(20, 20, 30)},
        {QColor(220, 120, 80), QColor(120, 60, 40), QColor(250, 230, 200), QColor(40, 20, 10)},
        {QColor(200, 200, 205), QColor(150, 150, 160), QColor(90, 90, 100), QColor(0, 0, 0)},
        {QColor(30, 30, 60), QColor(20, 40, 30), QColor(200, 60, 90), QColor(240, 240, 255)},
    };
    return palettes;
}

// A scene with structure: a sky gradient, a ground line, shapes and a caption.
QImage Scene(const Palette& palette, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0, palette.sky.lighter(130));
    sky.setColorAt(1, palette.sky);
    painter.fillRect(image.rect(), sky);
    QPainterPath ground;
    ground.moveTo(0, Height);
    for (int x = 0; x <= Width; x += 100)
        ground.lineTo(x, Height * 0.55 + random.bounded(Height / 4));
    ground.lineTo(Width, Height);
    painter.fillPath(ground, palette.ground);
    for (int shape = 0; shape < 12; ++shape) {
        const QRectF box(random.bounded(Width), random.bounded(Height), 40 + random.bounded(220),
                         40 + random.bounded(180));
        painter.setBrush(shape % 2 ? palette.accent : palette.ink);
        painter.setPen(QPen(palette.ink, 3));
        if (shape % 3 == 0)
            painter.drawEllipse(box);
        else
            painter.drawRoundedRect(box, 12, 12);
    }
    QFont font = painter.font();
    font.setPixelSize(48);
    painter.setFont(font);
    painter.setPen(palette.ink);
    painter.drawText(QRect(20, 20, Width - 40, 80), Qt::AlignLeft,
                     QStringLiteral("Scene %1").arg(seed));
    return image;
}

QByteArray Encoded(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// The copies of one scene: each size as JPEG at each quality, and as PNG.
std::vector<PerceptualHash> CopiesOf(const QImage& scene, double& hashSeconds, int& hashed) {
    std::vector<PerceptualHash> copies;
    for (int percent : Percents) {
        const QImage resized = scene.scaled(Width * percent / 100, Height * percent / 100,
                                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        std::vector<QByteArray> files{Encoded(resized, "png", -1)};
        for (int quality : Qualities)
            files.push_back(Encoded(resized, "jpeg", quality));
        for (const QByteArray& file : files) {
            QElapsedTimer clock;
            clock.start();
            copies.push_back(ThumbnailMaker::Make(file).hash);
            hashSeconds += clock.nsecsElapsed() / 1e9;
            ++hashed;
        }
    }
    return copies;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const int perPalette = argc > 1 ? std::atoi(argv[1]) : 6;
    // [palette][scene][copy]
    std::vector<std::vector<std::vector<PerceptualHash>>> hashes;
    double decodeSeconds = 0;
    int decoded = 0;
    for (size_t palette = 0; palette < Palettes().size(); ++palette) {
        hashes.emplace_back();
        for (int scene = 0; scene < perPalette; ++scene)
            hashes.back().push_back(
                CopiesOf(Scene(Palettes()[palette], quint32(palette * 100 + scene)), decodeSeconds,
                         decoded));
    }
    std::array<long, MaxShown + 1> same{}, sameTooBright{}, different{}, differentBright{};
    long samePairs = 0, differentPairs = 0;
    const auto count = [](const PerceptualHash& one, const PerceptualHash& other,
                          std::array<long, MaxShown + 1>& byDistance,
                          std::array<long, MaxShown + 1>& brightnessHeld) {
        const int distance = std::min(one.Distance(other), MaxShown);
        ++byDistance[size_t(distance)];
        // IsAlike at the largest distance shown: whether the brightness rule alone parts them.
        if (one.Distance(other) <= PerceptualHash::MaxDistance && !one.IsAlike(other))
            ++brightnessHeld[size_t(distance)];
    };
    for (const auto& scenes : hashes) {
        for (size_t scene = 0; scene < scenes.size(); ++scene) {
            const auto& copies = scenes[scene];
            for (size_t one = 0; one < copies.size(); ++one) {
                for (size_t other = one + 1; other < copies.size(); ++other, ++samePairs)
                    count(copies[one], copies[other], same, sameTooBright);
                for (size_t otherScene = scene + 1; otherScene < scenes.size(); ++otherScene)
                    for (const PerceptualHash& copy : scenes[otherScene]) {
                        count(copies[one], copy, different, differentBright);
                        ++differentPairs;
                    }
            }
        }
    }
    QTextStream out(stdout);
    out << QStringLiteral("%1 pictures decoded and hashed in %2 ms each; %3 pairs of copies, "
                          "%4 pairs of different scenes in the same colours\n")
               .arg(decoded)
               .arg(decodeSeconds * 1000 / decoded, 0, 'f', 2)
               .arg(samePairs)
               .arg(differentPairs);
    out << "distance  misses(copies farther)  false matches(different within)\n";
    long missed = samePairs;
    long matched = 0;
    for (int distance = 0; distance <= MaxShown; ++distance) {
        missed -= same[size_t(distance)];
        matched += different[size_t(distance)];
        const QString shown = QString::number(distance) + (distance == MaxShown ? "+" : "");
        out << QStringLiteral("%1  %2 (%3%)  %4 (%5%)\n")
                   .arg(shown, 8)
                   .arg(missed, 10)
                   .arg(100.0 * missed / samePairs, 0, 'f', 2)
                   .arg(matched, 10)
                   .arg(100.0 * matched / differentPairs, 0, 'f', 3);
    }
    long brightnessMisses = 0, brightnessSaves = 0;
    for (int distance = 0; distance <= MaxShown; ++distance) {
        brightnessMisses += sameTooBright[size_t(distance)];
        brightnessSaves += differentBright[size_t(distance)];
    }
    out << QStringLiteral("at distance %1 with a brightness step of %2: copies missed by the "
                          "brightness alone %3, different pictures it parts %4\n")
               .arg(PerceptualHash::MaxDistance)
               .arg(PerceptualHash::MaxBrightnessStep)
               .arg(brightnessMisses)
               .arg(brightnessSaves);
    return 0;
}
