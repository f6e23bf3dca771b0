#include "watches/WatchStore.h"

#include "core/DataFolder.h"
#include "records/RecordConnection.h"
#include "watches/AdvisoryLock.h"
#include "watches/GuardedDatabaseFile.h"
#include "watches/WatchSchedule.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

// A watch's number is never given again (AUTOINCREMENT), so a check still
// running for a removed watch cannot note what it saw for a new one.
const QStringList Tables = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS watches ("
                   "id INTEGER PRIMARY KEY AUTOINCREMENT, address TEXT NOT NULL UNIQUE, "
                   "title TEXT NOT NULL, folder TEXT NOT NULL, choices TEXT NOT NULL, "
                   "period INTEGER NOT NULL, created INTEGER NOT NULL, "
                   "last_check INTEGER NOT NULL DEFAULT 0, last_good INTEGER NOT NULL DEFAULT 0, "
                   "new_count INTEGER NOT NULL DEFAULT 0, failure TEXT NOT NULL DEFAULT '', "
                   "pictures INTEGER NOT NULL DEFAULT 0, unlooked INTEGER NOT NULL DEFAULT 0)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS seen (watch INTEGER NOT NULL, "
                   "address TEXT NOT NULL, PRIMARY KEY (watch, address)) WITHOUT ROWID")};

const QString Columns = QStringLiteral(
    "SELECT id, address, title, folder, choices, period, created, last_check, last_good, "
    "new_count, failure, pictures, unlooked FROM watches ");

// Long enough for another process to set a damaged list aside.
constexpr int RepairWaitMilliseconds = 5000;

// Qt binds a null text as NULL; the list holds an empty one.
QString NotNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

int Count(const QVariant& value) {
    return int(std::clamp<qint64>(value.toLongLong(), 0, std::numeric_limits<int>::max()));
}

Watch WatchOf(const QSqlQuery& row) {
    Watch watch;
    watch.id = row.value(0).toLongLong();
    watch.address = row.value(1).toString();
    watch.title = row.value(2).toString();
    watch.folder = row.value(3).toString();
    watch.choices = WatchChoices::FromJson(row.value(4).toByteArray());
    watch.period = WatchPeriod::Bounded(row.value(5).toLongLong());
    watch.created = row.value(6).toLongLong();
    watch.lastCheck = row.value(7).toLongLong();
    watch.lastGood = row.value(8).toLongLong();
    watch.newCount = Count(row.value(9));
    watch.failure = row.value(10).toString();
    watch.pictures = Count(row.value(11));
    watch.unlooked = Count(row.value(12));
    return watch;
}

// The number of the watch whose column holds key, found by query.
std::optional<qint64> FoundId(QSqlQuery& query, const QString& column, const QVariant& key) {
    query.prepare(QStringLiteral("SELECT id FROM watches WHERE %1 = ?").arg(column));
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        return std::nullopt;
    const qint64 id = query.value(0).toLongLong();
    query.finish();
    return id;
}

// A write transaction, taken for writing from its start: one that only reads
// first could not wait for another writer and would fail instead. Rolled back
// unless committed.
class WriteTransaction {
public:
    explicit WriteTransaction(const QSqlDatabase& database) : query(database) {
        begun = query.exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteTransaction() {
        if (begun)
            query.exec(QStringLiteral("ROLLBACK"));
    }
    bool Begun() const { return begun; }
    bool Commit() {
        begun = !query.exec(QStringLiteral("COMMIT"));
        return !begun;
    }
    QString Error() const { return query.lastError().text(); }

private:
    QSqlQuery query;
    bool begun = false;
};

} // namespace

QString WatchStore::DefaultPath() {
    return DataFolder::Path() + QStringLiteral("/Watches.sqlite");
}

WatchStore::WatchStore(const QString& path) : path(path) {
    Open();
}

WatchStore::~WatchStore() = default;

void WatchStore::Open() {
    error = GuardedDatabaseFile::Refusal(path);
    if (!error.isEmpty() || !SetAsideIfDamaged())
        return;
    connection = std::make_unique<RecordConnection>(path, Tables);
    if (!connection->IsOpen()) {
        error = path + QStringLiteral(": ") + connection->Error();
        connection.reset();
    }
}

// Under a lock, so that of several processes finding the damage one sets the
// file aside, and none sets aside the new list another has begun.
bool WatchStore::SetAsideIfDamaged() {
    if (!GuardedDatabaseFile::IsDamaged(path))
        return true;
    const QFileInfo file(path);
    const AdvisoryLock repair(file.absolutePath(), file.fileName() + QStringLiteral(".lock"),
                              RepairWaitMilliseconds);
    if (!repair.IsHeld())
        return Failed(path + QStringLiteral(": damaged, and cannot be set aside now"));
    if (!GuardedDatabaseFile::IsDamaged(path))
        return true;
    const QString aside = GuardedDatabaseFile::SetAside(path);
    if (aside.isEmpty())
        return Failed(path + QStringLiteral(": damaged, and cannot be set aside"));
    notice = QStringLiteral("the watch list %1 was damaged: it is kept as %2, and a new list "
                            "was begun")
                 .arg(path, aside);
    return true;
}

bool WatchStore::Failed(const QString& why) const {
    error = why;
    return false;
}

bool WatchStore::IsOpen() const {
    return connection != nullptr;
}

bool WatchStore::Put(const Watch& watch, qint64 now) {
    if (!IsOpen())
        return false;
    if (watch.address.isEmpty())
        return Failed(QStringLiteral("a watch needs the address of a page"));
    QSqlQuery put(connection->Database());
    put.prepare(QStringLiteral(
        "INSERT INTO watches (address, title, folder, choices, period, created) "
        "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (address) DO UPDATE SET title = excluded.title, "
        "folder = excluded.folder, choices = excluded.choices, period = excluded.period"));
    put.addBindValue(watch.address);
    put.addBindValue(NotNull(watch.title));
    put.addBindValue(NotNull(watch.folder));
    put.addBindValue(QString::fromUtf8(watch.choices.ToJson()));
    put.addBindValue(WatchPeriod::Bounded(watch.period));
    put.addBindValue(now);
    return put.exec() || Failed(put.lastError().text());
}

bool WatchStore::Remove(const QString& address) {
    return ChangeWatch(
        QStringLiteral("address"), address, address, [](QSqlQuery& query, qint64 id) {
            for (const QString& removal : {QStringLiteral("DELETE FROM seen WHERE watch = ?"),
                                           QStringLiteral("DELETE FROM watches WHERE id = ?")}) {
                query.prepare(removal);
                query.addBindValue(id);
                if (!query.exec())
                    return false;
            }
            return true;
        });
}

std::optional<Watch> WatchStore::Find(const QString& address) const {
    if (!IsOpen())
        return std::nullopt;
    QSqlQuery query(connection->Database());
    query.prepare(Columns + QStringLiteral("WHERE address = ?"));
    query.addBindValue(address);
    if (!query.exec()) {
        Failed(query.lastError().text());
        return std::nullopt;
    }
    return query.next() ? std::optional<Watch>(WatchOf(query)) : std::nullopt;
}

QList<Watch> WatchStore::List() const {
    QList<Watch> watches;
    if (!IsOpen())
        return watches;
    QSqlQuery query(connection->Database());
    if (!query.exec(Columns + QStringLiteral("ORDER BY id")))
        Failed(query.lastError().text());
    while (query.next())
        watches.append(WatchOf(query));
    return watches;
}

QList<Watch> WatchStore::Due(qint64 now, bool all) const {
    QList<Watch> due = List();
    due.removeIf([now, all](const Watch& watch) { return !WatchSchedule::IsDue(watch, now, all); });
    return due;
}

bool WatchStore::MarkLookedAt(const QString& address) {
    if (!IsOpen())
        return false;
    QSqlQuery query(connection->Database());
    query.prepare(QStringLiteral("UPDATE watches SET unlooked = 0 WHERE address = ?"));
    query.addBindValue(address);
    if (!query.exec())
        return Failed(query.lastError().text());
    return query.numRowsAffected() > 0 || Failed(QStringLiteral("no watch of ") + address);
}

bool WatchStore::RecordCheck(const Watch& watch, const WatchCheck& check) {
    if (!IsOpen())
        return false;
    QSqlQuery query(connection->Database());
    if (check.Failed()) {
        query.prepare(QStringLiteral(
            "UPDATE watches SET last_check = ?, failure = ?, new_count = 0 WHERE id = ?"));
        query.addBindValue(check.time);
        query.addBindValue(check.failure);
    } else {
        query.prepare(QStringLiteral(
            "UPDATE watches SET last_check = ?, last_good = ?, failure = '', new_count = ?, "
            "pictures = ?, unlooked = unlooked + ? WHERE id = ?"));
        query.addBindValue(check.time);
        query.addBindValue(check.time);
        query.addBindValue(check.newCount);
        query.addBindValue(check.pictures);
        query.addBindValue(check.newCount);
    }
    query.addBindValue(watch.id);
    if (!query.exec())
        return Failed(query.lastError().text());
    return query.numRowsAffected() > 0 || Failed(QStringLiteral("no watch of ") + watch.address);
}

std::optional<QStringList> WatchStore::Unseen(const Watch& watch,
                                              const QStringList& addresses) const {
    if (!IsOpen())
        return std::nullopt;
    QSqlDatabase database = connection->Database();
    // One read of one state of the list, however many addresses.
    database.transaction();
    QSqlQuery query(database);
    query.prepare(QStringLiteral("SELECT 1 FROM seen WHERE watch = ? AND address = ?"));
    QStringList unseen;
    for (const QString& address : addresses) {
        query.addBindValue(watch.id);
        query.addBindValue(address);
        if (!query.exec()) {
            Failed(query.lastError().text());
            database.rollback();
            return std::nullopt;
        }
        if (!query.next())
            unseen.append(address);
    }
    query.finish();
    database.commit();
    return unseen;
}

bool WatchStore::MarkSeen(const Watch& watch, const QStringList& addresses) {
    return ChangeWatch(
        QStringLiteral("id"), watch.id, watch.address, [&addresses](QSqlQuery& query, qint64 id) {
            query.prepare(
                QStringLiteral("INSERT OR IGNORE INTO seen (watch, address) VALUES (?, ?)"));
            for (const QString& address : addresses) {
                query.addBindValue(id);
                query.addBindValue(address);
                if (!query.exec())
                    return false;
            }
            return true;
        });
}

// In one write transaction: finds the watch whose column holds key (shown, in
// an error, as address) and makes the change.
bool WatchStore::ChangeWatch(const QString& column, const QVariant& key, const QString& address,
                             const std::function<bool(QSqlQuery&, qint64)>& change) {
    if (!IsOpen())
        return false;
    WriteTransaction transaction(connection->Database());
    if (!transaction.Begun())
        return Failed(transaction.Error());
    QSqlQuery query(connection->Database());
    const std::optional<qint64> id = FoundId(query, column, key);
    if (!id)
        return Failed(QStringLiteral("no watch of ") + address);
    if (!change(query, *id))
        return Failed(query.lastError().text());
    return transaction.Commit() || Failed(transaction.Error());
}
