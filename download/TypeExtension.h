#pragma once

#include <QString>

// The file extension that goes with a picture or video Content-Type, for
// saved files whose name has none (an address like /render?id=5).
class TypeExtension {
public:
    // ".png" for "image/png", and so on; empty for a type that is no picture
    // or video of a known format. Parameters and case are ignored.
    static QString For(const QString& contentType);
    // The name with the type's extension appended when it has no extension
    // of its own (no dot after its first character).
    static QString NameWithExtension(const QString& name, const QString& contentType);
};
