#pragma once

#include <QByteArray>
#include <QString>

// The text of an SVG picture as it may be handed to Qt's renderer. The
// renderer reads whatever a picture names (local files, where a FIFO blocks it
// for ever; style sheets; SVG inside data: addresses, read the same way), so
// only references to the picture's own parts and to embedded raster pictures
// are kept. A compressed picture is unpacked under a bound.
struct SafeSvg {
    QByteArray text; // empty when refused
    QString refusal; // why the picture is not decoded

    static SafeSvg Of(const QByteArray& data);

    // Longer text, packed or unpacked, is not decoded: it would build a huge tree.
    static constexpr qint64 MaxTextBytes = 4 * 1024 * 1024;
};
