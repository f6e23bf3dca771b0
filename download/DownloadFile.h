#pragma once

#include <QFile>
#include <QString>

#include <vector>

// The file a download is written to. Bytes go to an unnamed file in the
// destination's folder (a hidden named one where the file system cannot make
// unnamed files); only Commit puts it under the destination name, so a failed,
// cancelled or killed download never leaves a partial file and never harms an
// existing file of that name.
class DownloadFile {
public:
    DownloadFile() = default;
    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    // Creates the temporary file beside destination; false with Error() set
    // when that is impossible (missing folder, no permission, disk full).
    bool Open(const QString& destination);
    // Writes all of the bytes; false with Error() set when the write failed.
    // Small blocks are gathered into one larger write, as a stdio stream would;
    // at most OutputBufferSize bytes are ever held.
    bool Write(const char* data, size_t size);
    // Gives the open file another name in the destination's folder, for Commit.
    void RenameDestination(const QString& name);
    // Closes the file and puts it under the destination name; false with Error() set.
    bool Commit();
    // Closes and removes the temporary file, if one is open.
    void Discard();
    QString Error() const { return error; }
    // The full path Commit puts the file under.
    QString Destination() const { return QFile::decodeName(destinationPath); }

    static constexpr size_t OutputBufferSize = 64 * 1024;

private:
    bool OpenNamed();
    bool Flush();
    // Gives the unnamed file a hidden name, from where it is renamed.
    bool LinkUnnamed();
    void SetErrorFromErrno(const char* what);

    int descriptor = -1;
    QByteArray temporaryPath; // empty while the file has no name
    QByteArray destinationPath;
    QByteArray folder; // the destination's
    QString error;
    std::vector<char> pending; // bytes not yet written
};
