#include "app/VersionGate.h"

#include "core/Prompts.h"

#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <cstdlib>

bool VersionGate::Accepts(const char* version) {
    if (!version || version[0] == '\0')
        return false;
    // The major number is the leading decimal number; it ends at the first ".".
    return std::strtol(version, nullptr, 10) >= 5;
}

const char* VersionGate::EngineVersion() {
    return qWebEngineVersion();
}

bool VersionGate::Check(const char* version, Prompts& prompts) {
    if (Accepts(version))
        return true;
    prompts.message(nullptr, QStringLiteral("This browser requires IE 5.0 or higher."),
                    QStringLiteral("IE 5"), Prompts::Icon::None);
    return false;
}
