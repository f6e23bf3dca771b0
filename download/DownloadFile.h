#pragma once

#include <QString>

#include <vector>

// The file a download is written to. Bytes go to a hidden temporary file in the
// destination's folder; only Commit moves it under the destination name, so a
// failed or cancelled download never leaves a partial file and never harms an
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
    // Small blocks are gathered into one larger write, as a stdio stream would.
    bool Write(const char* data, size_t size);
    // Closes the file and renames it to the destination; false with Error() set.
    bool Commit();
    // Closes and removes the temporary file, if one is open.
    void Discard();
    QString Error() const { return error; }

    static constexpr size_t OutputBufferSize = 64 * 1024;

private:
    bool Flush();
    void SetErrorFromErrno(const char* what);

    int descriptor = -1;
    QByteArray temporaryPath;
    QByteArray destinationPath;
    QString error;
    std::vector<char> pending; // bytes not yet written
};
