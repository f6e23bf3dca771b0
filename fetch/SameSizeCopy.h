#pragma once

#include <QByteArray>
#include <QString>

#include <ctime>

// A file already in a folder that stands for an answer by its name and the
// size the server announces, so the answer's body need not be fetched: a
// plain file of that size that is marked as saved from the same address, or,
// unmarked (saved by another program, or without the marks), was there
// before the job began. A file marked as saved from another address is
// another picture of the same name and size, and never stands for it.
class SameSizeCopy {
public:
    // origin: the address as OriginMarks writes it; since: when the job began.
    static bool IsIn(int folder, const QString& name, qint64 size, const QByteArray& origin,
                     const timespec& since);
};
