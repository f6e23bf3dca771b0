#pragma once

#include <QByteArray>
#include <QString>

// What a browser makes of an answer whose Content-Type says nothing useful
// (none, or a generic one such as application/octet-stream): it shows a
// picture by its first bytes. Anything else keeps the type it was given.
class PictureSniffer {
public:
    // The type a picture is shown as: the declared one, unless that is missing
    // or generic and firstBytes begin a PNG, JPEG, GIF, WebP, BMP, ICO,
    // AVIF/HEIF or SVG file, whose type it is then.
    static QString ShownType(const QString& declared, const QByteArray& firstBytes);
    // The picture type firstBytes begin, or empty for none.
    static QString TypeOf(const QByteArray& firstBytes);

    // How many first bytes TypeOf looks at, at most.
    static constexpr qsizetype SniffLength = 1024;
};
