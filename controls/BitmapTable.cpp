#include "controls/BitmapTable.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

struct BitmapEntry {
    int id;
    const char* path;
};

const BitmapEntry bitmapEntries[] = {
    {164, ":/images/make-page-up.svg"},
    {165, ":/images/make-page-down.svg"},
    {166, ":/images/add-bookmark-up.svg"},
    {167, ":/images/add-bookmark-down.svg"},
    {168, ":/images/open-bookmarks-up.svg"},
    {169, ":/images/open-bookmarks-down.svg"},
    {170, ":/images/download-up.svg"},
    {171, ":/images/download-down.svg"},
    {172, ":/images/download-folder-up.svg"},
    {173, ":/images/download-folder-down.svg"},
    {174, ":/images/select-down.svg"},
    {175, ":/images/cancel-down.svg"},
    {176, ":/images/select-up.svg"},
    {177, ":/images/cancel-up.svg"},
    {178, ":/images/generate-page-down.svg"},
    {179, ":/images/image-folder-down.svg"},
    {181, ":/images/image-folder-up.svg"},
    {182, ":/images/generate-page-up.svg"},
    {183, ":/images/delete-down.svg"},
    {184, ":/images/delete-up.svg"},
    {185, ":/images/search-down.svg"},
    {186, ":/images/search-up.svg"},
    {187, ":/images/go-up.svg"},
    {188, ":/images/go-down.svg"},
    {189, ":/images/stop-up.svg"},
    {190, ":/images/back-down.svg"},
    {191, ":/images/forward-up.svg"},
    {192, ":/images/forward-down.svg"},
    {193, ":/images/back-up.svg"},
    {194, ":/images/stop-down.svg"},
    {195, ":/images/mail-down.svg"},
    {196, ":/images/mail-up.svg"},
    {197, ":/images/print-down.svg"},
    {199, ":/images/print-up.svg"},
    {204, ":/images/about-picture.svg"},
    {205, ":/images/history-up.svg"},
    {206, ":/images/history-down.svg"},
    {207, ":/images/clear-up.svg"},
    {208, ":/images/clear-down.svg"},
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
    QSvgRenderer renderer(file);
    if (!renderer.isValid())
        return QPixmap();
    QPixmap image(renderer.defaultSize());
    image.fill(Qt::black);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
