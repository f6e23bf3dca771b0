#pragma once

#include <QString>

// How Deep Scan names and judges an address: the last path segment without
// query or fragment, percent-decoded as UTF-8, and the extension after its
// last dot.
class DeepNameRule {
public:
    // The decoded name; the encoded one when decoding would not give a plain
    // file name (a "/", NUL or control character, ".", "..", or broken UTF-8);
    // either made safe to save (SafeFileName).
    static QString DisplayName(const QString& address);
    // True when the text after the name's last dot is a known picture,
    // graphics or media extension.
    static bool HasAcceptedExtension(const QString& name);
};
