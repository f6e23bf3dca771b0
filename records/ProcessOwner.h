#pragma once

#include <QString>

// Names a process in the records several processes share, and tells whether
// the process a name stands for still runs. Each process holds a lock file
// in the data folder while it lives, however it ends; a lock whose process is
// gone is free to take. Processes are told apart only on one machine.
class ProcessOwner {
public:
    // This process's name, its lock taken at the first call.
    static QString This();
    // True while the process named owner runs; false for an empty name.
    static bool IsRunning(const QString& owner);
};
