#include "app/ProgramVersion.h"

// QUILLMAR_VERSION is defined for this file alone, so a new version rebuilds nothing else.
QString ProgramVersion::Text() {
    return QStringLiteral(QUILLMAR_VERSION);
}
