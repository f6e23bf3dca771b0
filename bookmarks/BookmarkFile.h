#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The plain-text bookmark file: one address per line, written with CR LF and
// read with LF or CR LF. Entries are kept as the bytes the file holds, so a
// read followed by a rewrite never re-encodes anything. The file is opened
// and closed within each operation. A path that is not a regular file (a FIFO,
// a device) is refused by every operation.
class BookmarkFile {
public:
    static const QString FileName;

    explicit BookmarkFile(const QString& path);

    const QString& Path() const { return m_path; }

    // Adds the entry, without any CR or LF in it, as a new last line. A last line without a line
    // end is ended first, so the entry never joins it. False when the file cannot be opened,
    // sought, written or closed.
    bool Append(const QByteArray& entry) const;
    // Every line in file order. A missing file reads as empty and is no error;
    // on an error entries holds what was read before it.
    bool ReadAll(QList<QByteArray>& entries) const;
    // Replaces the content with these entries. The old file is replaced only
    // once the new content is completely on disk, so a failure keeps it whole.
    bool Rewrite(const QList<QByteArray>& entries) const;
    // Leaves an empty file; on failure the old content stays.
    bool Clear() const;

    // The entries of file content: a line ends at LF, a CR before that LF is
    // dropped, a last line without a line end still counts.
    static QList<QByteArray> SplitLines(const QByteArray& content);

private:
    QString m_path;
};
