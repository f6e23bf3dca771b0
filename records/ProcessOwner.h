#pragma once

#include <QString>

// An owner of claims in the records that jobs and processes share, and the
// test whether the owner a name stands for still lives. An owner holds an
// advisory lock on a file of its own in the data folder while it lives; the
// system lets go of it however its process ends, and nothing else (a process
// number, a program name) is taken for a sign of life. Names are of one fixed
// form, so no name read from a shared file leads outside that folder.
class ProcessOwner {
public:
    // A new owner, alive until it is destroyed.
    ProcessOwner();
    ~ProcessOwner();
    ProcessOwner(const ProcessOwner&) = delete;
    ProcessOwner& operator=(const ProcessOwner&) = delete;

    QString Name() const { return name; }

    // The name of the owner that stands for this process while it runs.
    static QString This();
    // True while the owner named lives; false for anything not an owner's name.
    static bool IsRunning(const QString& owner);
    // True for a name of the form owners are named by.
    static bool IsOwnerName(const QString& owner);

private:
    QString name;
    int lock = -1; // the open lock file, locked
};
