#pragma once

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace testsupport {

// A picture with structure, in the same few colours whatever the seed: a
// gradient, shapes placed by the seed and a caption. Scenes of two seeds are
// different pictures of similar colours.
inline QImage drawnScene(quint32 seed, const QSize& size = QSize(800, 600)) {
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0, QColor(150, 190, 240));
    sky.setColorAt(1, QColor(60, 110, 60));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(seed);
    for (int shape = 0; shape < 10; ++shape) {
        painter.setBrush(shape % 2 ? QColor(230, 200, 60) : QColor(30, 30, 40));
        painter.drawEllipse(QRectF(random.bounded(700), random.bounded(500),
                                   60 + random.bounded(200), 60 + random.bounded(160)));
    }
    QFont font = painter.font();
    font.setPixelSize(60);
    painter.setFont(font);
    painter.drawText(QRect(20, 20, 760, 100), Qt::AlignLeft, QStringLiteral("Scene %1").arg(seed));
    painter.end();
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// A disc on a plain ground, a little further right in each frame: each frame
// is alike to the next, not to one far along.
inline QImage movingDisc(int frame) {
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 225));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40, 60, 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(60 + frame * 6, 120), 40, 40);
    return image;
}

// image in format ("png", "jpeg", ...) at quality (-1: the format's default).
inline QByteArray encodedAs(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

} // namespace testsupport
