#pragma once

#include <QString>

// A file name that fits the folder's limit on name length (255 bytes on
// most Linux file systems), which a page's long names easily pass.
class FittedName {
public:
    // name, numbered as NumberedName::Of does when number > 1, with
    // its stem shortened so the whole takes at most limit bytes in UTF-8. The
    // cut falls between characters; the extension stays unless it is too
    // long to leave room for a stem.
    static QString Of(const QString& name, int number, qsizetype limit);
};
