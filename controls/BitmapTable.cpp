#include "controls/BitmapTable.h"

#include <QImageReader>

namespace {

struct BitmapEntry {
    int id;
    const char* path;
};

const BitmapEntry bitmapEntries[] = {
    {164, ":/images/make-page-up.png"},
    {165, ":/images/make-page-down.png"},
    {166, ":/images/add-bookmark-up.png"},
    {167, ":/images/add-bookmark-down.png"},
    {168, ":/images/open-bookmarks-up.png"},
    {169, ":/images/open-bookmarks-down.png"},
    {170, ":/images/download-up.png"},
    {171, ":/images/download-down.png"},
    {172, ":/images/download-folder-up.png"},
    {173, ":/images/download-folder-down.png"},
    {174, ":/images/select-down.png"},
    {175, ":/images/cancel-down.png"},
    {176, ":/images/select-up.png"},
    {177, ":/images/cancel-up.png"},
    {178, ":/images/generate-page-down.png"},
    {179, ":/images/image-folder-down.png"},
    {181, ":/images/image-folder-up.png"},
    {182, ":/images/generate-page-up.png"},
    {183, ":/images/delete-down.png"},
    {184, ":/images/delete-up.png"},
    {185, ":/images/search-down.png"},
    {186, ":/images/search-up.png"},
    {187, ":/images/go-up.png"},
    {188, ":/images/go-down.png"},
    {189, ":/images/stop-up.png"},
    {190, ":/images/back-down.png"},
    {191, ":/images/forward-up.png"},
    {192, ":/images/forward-down.png"},
    {193, ":/images/back-up.png"},
    {194, ":/images/stop-down.png"},
    {195, ":/images/mail-down.png"},
    {196, ":/images/mail-up.png"},
    {197, ":/images/print-down.png"},
    {199, ":/images/print-up.png"},
    {204, ":/images/about-picture.png"},
    {205, ":/images/history-up.png"},
    {206, ":/images/history-down.png"},
    {207, ":/images/clear-up.png"},
    {208, ":/images/clear-down.png"},
};

} // namespace

QString BitmapTable::path(int bitmapId) {
    for (const BitmapEntry& entry : bitmapEntries) {
        if (entry.id == bitmapId)
            return QString::fromLatin1(entry.path);
    }
    return QString();
}

QPixmap BitmapTable::pixmap(int bitmapId) {
    const QString file = path(bitmapId);
    if (file.isEmpty())
        return QPixmap();
    return QPixmap::fromImage(readPng(file));
}

QImage BitmapTable::readPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}
