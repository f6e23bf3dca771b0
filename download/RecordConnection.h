#pragma once

#include <QSqlDatabase>
#include <QString>

// A connection to a record of saved files for as long as it lives, on the
// thread that made it: Qt's connections may not cross threads, so each use
// opens its own under a name no other holds. The record is made when missing,
// in write-ahead-log mode so readers never wait for a writer, and a writer
// waits for another instead of failing.
class RecordConnection {
public:
    explicit RecordConnection(const QString& path);
    ~RecordConnection();
    RecordConnection(const RecordConnection&) = delete;
    RecordConnection& operator=(const RecordConnection&) = delete;

    bool IsOpen() const { return error.isEmpty(); }
    // Why the record could not be opened; empty when it was.
    QString Error() const { return error; }
    QSqlDatabase Database() const;

private:
    QString name;
    QString error;
};
