#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A connection to a record of saved files for as long as it lives, on the
// thread that made it: Qt's connections may not cross threads, so each use
// opens its own under a name no other holds. The record is made when missing,
// in write-ahead-log mode so readers never wait for a writer, and a writer
// waits for another instead of failing.
class RecordConnection {
public:
    // A record of saved files.
    explicit RecordConnection(const QString& path);
    // Another database kept the same way, whose tables are made by these
    // statements when missing (CREATE TABLE IF NOT EXISTS ...).
    RecordConnection(const QString& path, const QStringList& tables);
    ~RecordConnection();
    RecordConnection(const RecordConnection&) = delete;
    RecordConnection& operator=(const RecordConnection&) = delete;

    bool IsOpen() const { return error.isEmpty(); }
    // Why the record could not be opened; empty when it was.
    QString Error() const { return error; }
    QSqlDatabase Database() const;

    // Qt binds a null text as NULL; the tables hold an empty one.
    static QString NotNull(const QString& text);

private:
    QString name;
    QString error;
};
