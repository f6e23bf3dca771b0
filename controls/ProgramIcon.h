#pragma once

#include <QIcon>

// The program's own icon, the one installed for the desktop entry, at the
// sizes title bars and window managers ask for. Read with Qt's own PNG reader,
// so showing it loads no image plugin.
class ProgramIcon {
public:
    static QIcon Icon();
};
