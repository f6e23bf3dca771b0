#pragma once

#include <QSqlDatabase>
#include <QSqlError>
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
    // A look at a database as it is, changing nothing: no table, no log mode.
    enum class ReadOnly { Look };
    RecordConnection(const QString& path, ReadOnly);
    ~RecordConnection();
    RecordConnection(const RecordConnection&) = delete;
    RecordConnection& operator=(const RecordConnection&) = delete;

    bool IsOpen() const { return !failure.isValid(); }
    // Why the record could not be opened; empty when it was.
    QString Error() const { return failure.text(); }
    QSqlError Failure() const { return failure; }
    QSqlDatabase Database() const;

    // Qt binds a null text as NULL; the tables hold an empty one.
    static QString NotNull(const QString& text);

    // A folder as a row may name it: absolute, without "." or "..".
    static bool IsPlainFolder(const QString& folder);

private:
    void Prepare(QSqlDatabase& database, const QStringList& tables);

    QString name;
    QSqlError failure;
};
