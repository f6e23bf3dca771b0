#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// Maps the program's bitmap resource ids to their pictures: PNG files drawn
// from the SVG files under res/images/ as the program is built.
class BitmapTable {
public:
    // The resource path (":/images/....png"), or empty for an unknown id.
    static QString path(int bitmapId);
    // The picture at its natural size; null for an unknown id.
    static QPixmap pixmap(int bitmapId);
    // The PNG file at path, read without asking every image plugin whether it
    // claims the file, which would load them all; null when it cannot be read.
    static QImage readPng(const QString& path);
};
