#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The file a download is written to, inside a folder opened by the job. Bytes
// go to an unnamed file (a hidden named one where the file system cannot make
// unnamed files); only PlaceAs gives it its name, and never in place of a file
// that is already there, so a failed, cancelled or killed download leaves no
// partial file and harms no existing one.
class DownloadFile {
public:
    DownloadFile() = default;
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the temporary file in the open folder; false with Error() set
    // when that is impossible (no permission, disk full).
    bool Open(int folder);
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
    bool Flush();
    // Gives the unnamed file a hidden name, from where it is placed.
    bool LinkUnnamed();
    bool MoveWithoutReplacing(const QByteArray& name);
    void SetErrorFromErrno(const char* what);

    int folder = -1; // not owned
    int descriptor = -1;
    QByteArray temporaryName; // in folder; empty while the file has no name
    QString error;
    std::vector<char> pending; // bytes not yet written
};
