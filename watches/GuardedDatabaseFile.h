#pragma once

#include <QString>

// The checks an SQLite file of the data folder passes before it is opened:
// never through a symbolic link (the file, its log or its shared memory),
// which would let the program change whatever the link points at; only a
// plain file; and a file that is no database or is damaged is set aside,
// never left to fail every later run.
class GuardedDatabaseFile {
public:
    // Why path may not be opened; empty when it may (a missing file may be made).
    static QString Refusal(const QString& path);
    // True when path holds something that is no sound SQLite database.
    // A database another process is writing is sound.
    static bool IsDamaged(const QString& path);
    // Renames path (and its log) to a free name beside it, "NAME.damaged",
    // "NAME.damaged.2", ...; returns that name, empty when it could not.
    static QString SetAside(const QString& path);
};
