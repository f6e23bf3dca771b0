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
    // The name a listed file is saved under, as a browser saves it: the plain
    // scan lists the encoded name the scan rules matched (caf%C3%A9.jpg), and
    // it is saved decoded as DisplayName decodes (café.jpg); a Deep Scan name,
    // decoded already, stays as it is. Either made safe (SafeFileName).
    static QString SavedName(const QString& listedName, const QString& address);
    // True when the text after the name's last dot is a known picture,
    // graphics or media extension.
    static bool HasAcceptedExtension(const QString& name);
};
