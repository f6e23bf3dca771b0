#pragma once

#include <QString>

// The file extension that goes with a picture or video Content-Type, for
// saved files whose name has none of the picture and media extensions (an
// address like /render?id=5, or a page's "run.sh" shown as a picture).
class TypeExtension {
public:
    // ".png" for "image/png", and so on; empty for a type that is no picture
    // or video of a known format. Parameters and case are ignored.
    static QString For(const QString& contentType);
    // The name itself when it ends in a picture or media extension, else the
    // name with the type's extension appended ("run.sh" -> "run.sh.png"); empty
    // when it needs one and the type is no picture or video of a known format.
    static QString NameWithExtension(const QString& name, const QString& contentType);
};
