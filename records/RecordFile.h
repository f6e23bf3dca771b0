#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The file of a record of saved pictures, judged before a database is opened
// on it: what it holds, whether it may be written, and setting a bad one
// aside. Nothing here waits on the file (a FIFO stays unopened) or reads more
// than a line's worth of it at once.
class RecordFile {
public:
    enum class Kind {
        Missing,  // no file yet: a new record is made
        Database, // an SQLite database
        CutShort, // an SQLite database shorter than its header says: damaged, unless
                  // another process is writing it out from its log this moment
        TextForm, // the plain text of earlier versions: "address<TAB>name" lines
        Damaged,  // anything else: no record, or one that may not be opened (a
                  // link where none may be, a FIFO, a device)
        Refused,  // in a folder that is a link where none may be: left alone
    };
    // links: whether the file may be a symbolic link (a record the user named)
    // or not (the program's own, whose folders and log files may not be one
    // either). why: what is wrong, for Damaged and Refused.
    static Kind Judge(const QString& path, bool links, QString& why);

    // Calls take with each line of the text form, address and name, in order;
    // false with why at the first line that is not one (take has had those before).
    static bool ReadTextForm(const QString& path,
                             const std::function<void(const QString&, const QString&)>& take,
                             QString& why);
    // Why the existing file may not be written (immutable, append-only,
    // read-only, even for root); empty when it may or does not exist.
    static QString WriteRefusal(const QString& path);
    // Moves the file and its log beside it, as "NAME.damaged" (".damaged.2",
    // ...; links and FIFOs are moved, never followed); the name it took,
    // empty when it could not be moved.
    static QString SetAside(const QString& path);
    // A name beside path that no file has yet: "PATH.SUFFIX", then "PATH.2.SUFFIX", ...
    static QString FreeNameBeside(const QString& path, const QString& suffix);

    // Held while a process changes what kind of file a record is (converts or
    // sets it aside), so that of several processes starting at once one does
    // and the others find the result.
    class ChangeLock {
    public:
        explicit ChangeLock(const QString& path);
        ~ChangeLock();
        ChangeLock(const ChangeLock&) = delete;
        ChangeLock& operator=(const ChangeLock&) = delete;

    private:
        QByteArray name;
        int descriptor = -1;
    };
};
