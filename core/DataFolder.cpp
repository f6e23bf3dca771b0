#include "core/DataFolder.h"

#include <QStandardPaths>

QString DataFolder::Path() {
    // Named here rather than through the application's data location, which
    // would put the settings key "QuillmarBrowser" into the path as well.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillmar");
}
