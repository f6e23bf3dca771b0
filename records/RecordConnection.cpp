#include "records/RecordConnection.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <atomic>

namespace {

// Long enough for another process to finish a batch of records; a record held
// longer is held by something else, and a run goes on without it.
constexpr int BusyTimeoutMilliseconds = 5000;

QString UniqueConnectionName() {
    static std::atomic<quint64> made{0};
    return QStringLiteral("quillmar-record-%1").arg(++made);
}

} // namespace

// The address is the key, so a look-up costs the same however long the record is.
RecordConnection::RecordConnection(const QString& path)
    : RecordConnection(path, {QStringLiteral("CREATE TABLE IF NOT EXISTS saved ("
                                             "address TEXT PRIMARY KEY NOT NULL, folder TEXT NOT "
                                             "NULL, name TEXT NOT NULL, size INTEGER NOT NULL, "
                                             "saved_at INTEGER NOT NULL, page TEXT NOT NULL)"),
                              // An address a process is fetching now, so another leaves it.
                              QStringLiteral("CREATE TABLE IF NOT EXISTS claims ("
                                             "address TEXT PRIMARY KEY NOT NULL, "
                                             "owner TEXT NOT NULL)")}) {}

RecordConnection::RecordConnection(const QString& path, const QStringList& tables)
    : name(UniqueConnectionName()) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    database.setDatabaseName(path);
    database.setConnectOptions(
        QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMilliseconds));
    if (!database.open()) {
        failure = database.lastError();
        return;
    }
    Prepare(database, tables);
}

// Without a log beside it, all of the database is in its file, which is read
// as it is: no log is made beside it (that the program would then leave).
RecordConnection::RecordConnection(const QString& path, ReadOnly) : name(UniqueConnectionName()) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    const bool logged = QFileInfo::exists(path + QStringLiteral("-wal"));
    database.setDatabaseName(logged ? path
                                    : QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                                          QStringLiteral("?immutable=1"));
    database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    if (!database.open())
        failure = database.lastError();
}

void RecordConnection::Prepare(QSqlDatabase& database, const QStringList& tables) {
    QSqlQuery query(database);
    // The log mode is kept in the file; a process that finds it set by another
    // while that one writes changes nothing, so its answer does not matter.
    query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    // With the log, a crash loses at most the last records, never the file.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    for (const QString& table : tables) {
        if (!query.exec(table)) {
            failure = query.lastError();
            return;
        }
    }
}

RecordConnection::~RecordConnection() {
    QSqlDatabase::database(name, false).close();
    QSqlDatabase::removeDatabase(name);
}

QSqlDatabase RecordConnection::Database() const {
    return QSqlDatabase::database(name, false);
}

QString RecordConnection::NotNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

bool RecordConnection::IsPlainFolder(const QString& folder) {
    return QDir::isAbsolutePath(folder) && QDir::cleanPath(folder) == folder;
}
