#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QSize>
#include <QString>

// What is known about one picture once it has been looked at: a small copy,
// its natural size and its type, or why there is no copy.
struct Thumbnail {
    QByteArray image; // the small copy, encoded as PNG or JPEG; empty when there is none
    QSize size;       // the picture's natural size; invalid when unknown
    QString type;     // the badge: "JPEG", "PNG", "SVG", "video", ...; empty when unknown
    QString note;     // why there is no copy, e.g. "server answered 404"
};

Q_DECLARE_METATYPE(Thumbnail)
