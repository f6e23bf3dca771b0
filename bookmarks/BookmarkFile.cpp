#include "bookmarks/BookmarkFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray LineEnd = "\r\n";

// True when the file's last byte ends a line, or the file is empty.
bool endsWithLineEnd(QFile& file) {
    const qint64 size = file.size();
    if (size == 0)
        return true;
    char last = 0;
    return file.seek(size - 1) && file.getChar(&last) && last == '\n';
}

// A FIFO or a device could block on opening or never end; a folder is no list.
bool isSpecialFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

// One entry is one line, whatever was pasted into it.
QByteArray withoutLineEnds(QByteArray entry) {
    entry.replace('\r', QByteArray()).replace('\n', QByteArray());
    return entry;
}

// The file's folder, made when missing: the user's data folder may not exist yet.
bool makeFolderOf(const QString& path) {
    return QFileInfo(path).dir().mkpath(QStringLiteral("."));
}

} // namespace

const QString BookmarkFile::FileName = QStringLiteral("QuillmarLinks.txt");

BookmarkFile::BookmarkFile(const QString& path) : m_path(path) {}

bool BookmarkFile::Append(const QByteArray& entry) const {
    if (m_path.isEmpty() || isSpecialFile(m_path) || !makeFolderOf(m_path))
        return false;
    QFile file(m_path);
    // Read access as well, to look at the last byte; a missing file is created.
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes;
    if (!endsWithLineEnd(file))
        bytes = LineEnd;
    bytes += withoutLineEnds(entry) + LineEnd;
    const bool written =
        file.seek(file.size()) && file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool BookmarkFile::ReadAll(QList<QByteArray>& entries) const {
    entries.clear();
    QFile file(m_path);
    if (!file.exists())
        return true;
    if (isSpecialFile(m_path) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = file.readAll();
    const bool readWhole = file.error() == QFileDevice::NoError;
    entries = SplitLines(content);
    return readWhole;
}

bool BookmarkFile::Rewrite(const QList<QByteArray>& entries) const {
    if (!makeFolderOf(m_path))
        return false;
    QSaveFile file(m_path);
    if (isSpecialFile(m_path) || !file.open(QIODevice::WriteOnly))
        return false;
    bool written = true;
    for (qsizetype i = 0; written && i < entries.size(); ++i)
        written = file.write(entries.at(i) + LineEnd) == entries.at(i).size() + LineEnd.size();
    // A write that fails only when the buffer is flushed would otherwise go
    // unnoticed by commit() and replace the old file with a truncated one.
    if (!written || !file.flush())
        file.cancelWriting();
    return file.commit();
}

bool BookmarkFile::Clear() const {
    return Rewrite({});
}

QList<QByteArray> BookmarkFile::SplitLines(const QByteArray& content) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        const bool lastLineWithoutEnd = end < 0;
        if (lastLineWithoutEnd)
            end = content.size();
        qsizetype length = end - start;
        if (!lastLineWithoutEnd && length > 0 && content.at(end - 1) == '\r')
            --length;
        lines.append(content.mid(start, length));
        start = end + 1;
    }
    return lines;
}
