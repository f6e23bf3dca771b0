#include "controls/ProgramIcon.h"

#include "controls/BitmapTable.h"

#include <QDir>
#include <QPixmap>

QIcon ProgramIcon::Icon() {
    // One folder per size the build drew, "16x16" and so on.
    const QDir sizes(QStringLiteral(":/icons"));
    QIcon icon;
    for (const QString& size : sizes.entryList(QDir::Dirs)) {
        const QImage image = BitmapTable::readPng(
            sizes.filePath(size + QStringLiteral("/org.quillmar.Quillmar.png")));
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
