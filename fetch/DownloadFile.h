#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The file a download is written to, inside a folder opened by the job. Bytes
// go to an unnamed file (a hidden named one where the file system cannot make
// unnamed files); only PlaceAs gives it its name, and never in place of a file
// that is already there, so a failed, cancelled or killed download leaves no
// partial file and harms no existing one. A large file in progress may be kept
// under a partial name (KeepAs) with what resuming it needs, so a later run
// continues it (OpenPartial); such a name is ours only while it carries that.
class DownloadFile {
public:
    DownloadFile() = default;
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the temporary file in the open folder; false with Error() set
    // when that is impossible (no permission, disk full).
    bool Open(int folder);
    // Opens the partial file partName of the open folder that a fetch of source
    // left, to go on at its end; false, touching nothing, when there is none,
    // it is not ours (not a plain file with one name, marked for source) or
    // its validator is unusable. validator: the answer's ETag or Last-Modified
    // it was kept with.
    bool OpenPartial(int folder, const QByteArray& partName, const QString& source,
                     QByteArray& validator);
    // The partial name a file in progress for name is kept under: "NAME.part".
    static QByteArray PartialName(const QString& name);
    // Removes partName of the folder when a fetch of source left it there.
    static void RemovePartial(int folder, const QByteArray& partName, const QString& source);
    // Gives the file in progress the name partName, never in place of another
    // file, marked with its source and validator; false, nothing changed, when it cannot.
    bool KeepAs(const QByteArray& partName, const QString& source, const QByteArray& validator);
    bool IsKept() const { return kept; }
    // Drops what was written, to write the file from its start again; a kept
    // file takes the new validator.
    bool Restart(const QString& source, const QByteArray& validator);
    // Bytes written so far, held ones included.
    qint64 Size() const { return written + qint64(pending.size()); }
    // Up to size bytes from the file's start.
    QByteArray FirstBytes(qsizetype size);
    // Writes what is held; false with Error() set.
    bool Flush();
    // Closes the file; a kept one stays for a later run, any other is removed.
    void Release();
    // Writes all of the bytes; false with Error() set when the write failed.
    // Small blocks are gathered into one larger write, as a stdio stream would;
    // at most OutputBufferSize bytes are ever held.
    bool Write(const char* data, size_t size);
    // Writes what is held and closes the file, still under a hidden name;
    // false with Error() set.
    bool Finish();

    enum class Placement { Placed, Taken, Failed };
    // After Finish: gives the file name unless a file of that name exists
    // (Taken, nothing changed); Failed with Error() set.
    Placement PlaceAs(const QString& name);
    // After Finish: true when the folder's file name holds exactly these bytes.
    bool HoldsSameBytesAs(const QString& name) const;
    // The longest file name the folder takes, in bytes.
    qsizetype NameLimit() const;
    // Closes and removes the temporary file, if one is open.
    void Discard();
    QString Error() const { return error; }

    static constexpr size_t OutputBufferSize = 64 * 1024;

private:
    bool OpenNamed();
    bool Mark(const QString& source, const QByteArray& validator);
    // Gives the unnamed file a hidden name, from where it is placed.
    bool LinkUnnamed();
    bool MoveWithoutReplacing(const QByteArray& name);
    void SetErrorFromErrno(const char* what);

    int folder = -1; // not owned
    int descriptor = -1;
    QByteArray temporaryName; // in folder; empty while the file has no name
    QString error;
    std::vector<char> pending; // bytes not yet written
    qint64 written = 0;        // bytes in the file
    bool kept = false;         // temporaryName is a partial name a later run may continue
};
