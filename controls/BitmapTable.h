#pragma once

#include <QPixmap>
#include <QString>

// Maps the program's bitmap resource ids to image files under res/.
class BitmapTable {
public:
    // The resource path (":/images/....svg"), or empty for an unknown id.
    static QString path(int bitmapId);
    // The image rendered at its natural size; null for an unknown id.
    static QPixmap pixmap(int bitmapId);
};
