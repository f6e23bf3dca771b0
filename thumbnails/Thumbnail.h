#pragma once

#include "thumbnails/PerceptualHash.h"

#include <QByteArray>
#include <QMetaType>
#include <QSize>
#include <QString>

// What is known about one picture once it has been looked at: a small copy,
// its natural size, its type, its file's size and what it looks like, or why
// there is no copy.
struct Thumbnail {
    QByteArray image;    // the small copy, encoded as PNG or JPEG; empty when there is none
    QSize size;          // the picture's natural size; invalid when unknown
    QString type;        // the badge: "JPEG", "PNG", "SVG", "video", ...; empty when unknown
    QString note;        // why there is no copy, e.g. "server answered 404"
    qint64 bytes = -1;   // the size of the picture's file; -1 when unknown
    PerceptualHash hash; // none when the picture was not decoded
};

Q_DECLARE_METATYPE(Thumbnail)
