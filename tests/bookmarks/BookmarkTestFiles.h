#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Raw file access for checking the bookmark file byte for byte.
namespace bookmarktest {

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

} // namespace bookmarktest
