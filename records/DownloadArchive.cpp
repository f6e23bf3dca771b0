#include "records/DownloadArchive.h"

#include "core/DataFolder.h"
#include "fetch/DownloadJob.h"
#include "fetch/OriginMarks.h"
#include "records/ProcessOwner.h"
#include "records/RecordConnection.h"
#include "records/RecordFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <optional>

namespace {

using Kind = RecordFile::Kind;

const QString LookUpText = QStringLiteral("SELECT folder, name, size FROM saved WHERE address = ?");
const QString RecordText = QStringLiteral("INSERT OR REPLACE INTO saved "
                                          "(address, folder, name, size, saved_at, page) "
                                          "VALUES (?, ?, ?, ?, ?, ?)");
// A merge keeps what the record holds.
const QString MergeText = QStringLiteral("INSERT OR IGNORE INTO saved "
                                         "(address, folder, name, size, saved_at, page) "
                                         "VALUES (?, ?, ?, ?, ?, ?)");
const QString ForgetText = QStringLiteral("DELETE FROM saved WHERE address = ?");
const QString OwnerText = QStringLiteral("SELECT owner FROM claims WHERE address = ?");
// A free address is claimed by the insert alone; one claimed before, by
// taking it over once its owner is found gone.
const QString ClaimText =
    QStringLiteral("INSERT OR IGNORE INTO claims (address, owner) VALUES (?, ?)");
const QString TakeOverText = QStringLiteral("UPDATE claims SET owner = ? WHERE address = ?");
const QString ReleaseText = QStringLiteral("DELETE FROM claims WHERE address = ? AND owner = ?");

// An address as the record keeps it: without a user name or password, which
// the record is not trusted with (nor any file written beside the pictures),
// so the same address finds its row again whatever login it comes with.
QString KeyOf(const QString& address) {
    return address.contains(QLatin1Char('@')) ? OriginMarks::WithoutLogin(address) : address;
}

bool Insert(QSqlQuery& insert, const QString& address, const QString& folder, const QString& name,
            qint64 size, const QString& page, qint64 savedAt) {
    insert.addBindValue(KeyOf(address));
    insert.addBindValue(RecordConnection::NotNull(folder));
    insert.addBindValue(name);
    insert.addBindValue(size);
    insert.addBindValue(savedAt);
    insert.addBindValue(RecordConnection::NotNull(KeyOf(page)));
    return insert.exec();
}

// A folder as another machine's record may name it: absolute and plain, or none.
bool IsRowFolder(const QString& folder) {
    return folder.isEmpty() || RecordConnection::IsPlainFolder(folder);
}

// What SQLite says, without Qt's own words after it.
QString ErrorText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

bool IsDamage(const QSqlError& error) {
    // SQLITE_CORRUPT and SQLITE_NOTADB, with or without their extended codes.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 || code == 26;
}

// A look at a database that changes nothing: damaged, when reading it
// through finds it so, or when it is another program's, without the table
// of saved files.
bool LooksDamaged(const QString& path, bool readThrough, QString& why) {
    const RecordConnection connection(path, RecordConnection::ReadOnly::Look);
    QSqlQuery look(connection.Database());
    if (!connection.IsOpen())
        return false;
    if (readThrough && !(look.exec(QStringLiteral("PRAGMA quick_check(1)")) && look.next() &&
                         look.value(0).toString() == QLatin1String("ok")))
        return true;
    if (look.exec(QStringLiteral(
            "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'saved'")) &&
        look.next() && look.value(0).toInt() == 0) {
        why = QStringLiteral("a database without the table of saved pictures");
        return true;
    }
    if (!IsDamage(look.lastError()))
        return false;
    why = ErrorText(look.lastError());
    return true;
}

// What the file is. A database whose header says more pages than the file
// holds may be one another process is writing out from its log this moment:
// it is damaged only if reading it through finds it so.
Kind Judged(const QString& path, bool links, QString& why) {
    const Kind kind = RecordFile::Judge(path, links, why);
    const bool cutShort = kind == Kind::CutShort;
    if ((kind == Kind::Database || cutShort) && QFileInfo(path).size() > 0 &&
        LooksDamaged(path, cutShort, why))
        return Kind::Damaged;
    return cutShort ? Kind::Database : kind;
}

} // namespace

DownloadArchive::DownloadArchive(const QString& path, Rule rule) : path(path), rule(rule) {}

DownloadArchive::~DownloadArchive() = default;

std::shared_ptr<DownloadArchive> DownloadArchive::ForFolder(const QString& folder, Held hold) {
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1);
    const QString base =
        DataFolder::Path() + QStringLiteral("/Saved/") + QString::fromLatin1(key.toHex());
    // Earlier versions kept the record as "KEY.txt": it becomes the database's
    // text form, converted by Load (the rename never replaces a file).
    QFile::rename(base + QStringLiteral(".txt"), base + QStringLiteral(".sqlite"));
    auto archive =
        std::make_shared<DownloadArchive>(base + QStringLiteral(".sqlite"), Rule::FileStillThere);
    const QFileInfo chosen(folder);
    archive->folder = chosen.exists() ? chosen.canonicalFilePath() : QDir::cleanPath(folder);
    if (hold == Held::ByThisThread)
        archive->Hold();
    // A record that cannot be used only costs fetching those pictures again;
    // Lost says why.
    QString unused;
    archive->Load(unused);
    return archive;
}

bool DownloadArchive::Load(QString& error) {
    if (!LoadFile(error) || !TryWrite(error)) {
        Lose(error);
        return false;
    }
    return true;
}

// Judges the file and makes a sound record of it, or refuses it. A change
// (a conversion, setting aside) is made under a lock, and only if the file
// still needs it then: of several processes starting at once, one makes it.
bool DownloadArchive::LoadFile(QString& error) {
    const bool own = rule == Rule::FileStillThere;
    QString why;
    Kind kind = Judged(path, !own, why);
    const bool change = kind == Kind::TextForm || (own && kind == Kind::Damaged);
    std::optional<RecordFile::ChangeLock> lock;
    if (change) {
        lock.emplace(path);
        kind = Judged(path, !own, why);
    }
    switch (kind) {
    case Kind::Missing:
    case Kind::Database:
        return true;
    case Kind::TextForm:
        return ConvertTextForm(error);
    case Kind::CutShort:
    case Kind::Damaged:
        // The user's own file is never moved; the program's own record starts anew.
        if (own && lock)
            return SetAside(why, error);
        break;
    case Kind::Refused:
        break;
    }
    error = why;
    return false;
}

bool DownloadArchive::SetAside(const QString& why, QString& error) {
    Reconnect();
    setAsideAs = RecordFile::SetAside(path);
    if (setAsideAs.isEmpty()) {
        error = why;
        return false;
    }
    setAsideWhy = why;
    return true;
}

// A write that changes nothing, so a record that cannot be written is known
// before the first picture, after one wait at most. A folder's own record
// that the database finds damaged is set aside and made anew.
bool DownloadArchive::TryWrite(QString& error) {
    error = rule == Rule::AddressRecorded ? RecordFile::WriteRefusal(path) : QString();
    if (!error.isEmpty())
        return false;
    QSqlError failure = WriteNothing();
    if (IsDamage(failure) && rule == Rule::FileStillThere) {
        const RecordFile::ChangeLock lock(path);
        failure = WriteNothing();
        if (IsDamage(failure) && SetAside(ErrorText(failure), error))
            failure = WriteNothing();
    }
    error = failure.isValid() ? ErrorText(failure) : QString();
    return !failure.isValid();
}

QSqlError DownloadArchive::WriteNothing() const {
    const auto connection = Connect();
    if (!connection->IsOpen())
        return connection->Failure();
    QSqlQuery query(connection->Database());
    const bool written = query.exec(QStringLiteral("BEGIN IMMEDIATE")) &&
                         query.exec(QStringLiteral(
                             "INSERT OR REPLACE INTO claims (address, owner) VALUES ('', '')"));
    const QSqlError failure = written ? QSqlError() : query.lastError();
    query.exec(QStringLiteral("ROLLBACK"));
    return failure;
}

bool DownloadArchive::ConvertTextForm(QString& error) {
    QString why;
    const QString kept = RecordFile::FreeNameBeside(path, QStringLiteral("txt"));
    if (!QFile::rename(path, kept)) {
        error = QStringLiteral("cannot keep its text form as ") + kept;
        return false;
    }
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery insert(database);
    if (!connection.IsOpen() || !database.transaction() || !insert.prepare(RecordText)) {
        error = connection.IsOpen() ? database.lastError().text() : connection.Error();
        return false;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    // The text form kept no folder or size. A folder's own record takes a file
    // named as recorded that is in the folder now, with its size now; an
    // --archive record needs only the address.
    const auto carryOver = [&](const QString& address, const QString& name) {
        if (rule == Rule::AddressRecorded) {
            Insert(insert, address, QString(), name, -1, QString(), now);
            return;
        }
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile() && !file.isSymLink())
            Insert(insert, address, folder, name, file.size(), QString(), now);
    };
    if (!RecordFile::ReadTextForm(kept, carryOver, why) || !database.commit()) {
        error = why.isEmpty() ? database.lastError().text() : why;
        return false;
    }
    keptTextForm = kept;
    return true;
}

QString DownloadArchive::SavedName(const QString& address) const {
    return SavedNames({{QString(), address}}).value(0);
}

QStringList DownloadArchive::SavedNames(const HarvestLines& lines) const {
    QStringList names(lines.size());
    if (lines.isEmpty() || !Usable())
        return names;
    const auto connection = Connect();
    QSqlDatabase database = connection->Database();
    QSqlQuery lookUp(database);
    if (!Opened(*connection) || !Prepare(lookUp, LookUpText))
        return names;
    // One read of the whole list, not one per line.
    database.transaction();
    for (qsizetype i = 0; i < lines.size() && Usable(); ++i)
        names[i] = SavedNameBy(lookUp, lines[i].address);
    lookUp.finish();
    database.commit();
    return names;
}

HarvestLines DownloadArchive::Unsaved(const HarvestLines& lines) const {
    const QStringList names = SavedNames(lines);
    HarvestLines unsaved;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (names[i].isEmpty())
            unsaved.append(lines[i]);
    return unsaved;
}

QString DownloadArchive::SavedNameBy(QSqlQuery& lookUp, const QString& address) const {
    const QString key = KeyOf(address);
    // Rows of earlier versions kept the login in the address.
    for (const QString& recorded : key == address ? QStringList{key} : QStringList{key, address}) {
        lookUp.addBindValue(recorded);
        if (!lookUp.exec()) {
            LoseBy(lookUp.lastError());
            return QString();
        }
        if (lookUp.next())
            return Counted(lookUp.value(0).toString(), lookUp.value(1).toString(),
                           lookUp.value(2).toLongLong());
    }
    return QString();
}

// The name a row gives, when it counts as saved. Whatever the rule, a row
// names a plain file in a plain folder, or nothing.
QString DownloadArchive::Counted(const QString& rowFolder, const QString& name, qint64 size) const {
    if (!DownloadJob::IsPlainFileName(name) || !IsRowFolder(rowFolder))
        return QString();
    if (rule == Rule::AddressRecorded)
        return name;
    return CountsAsSaved(rowFolder, name, size) ? name : QString();
}

// A row of a folder's record counts while it names a plain file, not a link,
// inside that folder, with the size recorded: a row can never vouch for a file
// anywhere else.
bool DownloadArchive::CountsAsSaved(const QString& rowFolder, const QString& name,
                                    qint64 size) const {
    if (!DownloadJob::IsPlainFileName(name) || folder.isEmpty())
        return false;
    const QFileInfo file(QDir(rowFolder).filePath(name));
    const QString real = file.canonicalFilePath();
    return file.isFile() && !file.isSymLink() && file.size() == size &&
           real.startsWith(folder + QLatin1Char('/'));
}

QList<DownloadArchive::Claim> DownloadArchive::ClaimAll(const QStringList& addresses) {
    QList<Claim> claims(addresses.size());
    if (addresses.isEmpty() || !Usable())
        return claims;
    if (!owner)
        owner = std::make_unique<ProcessOwner>();
    const auto connection = Connect();
    const QSqlDatabase database = connection->Database();
    QSqlQuery begin(database), lookUp(database), claim(database), ownerOf(database),
        takeOver(database);
    // Taken for writing from the start: a read first would let two processes
    // both find an address free.
    if (!Opened(*connection) || !Begin(begin) || !Prepare(lookUp, LookUpText) ||
        !Prepare(claim, ClaimText) || !Prepare(ownerOf, OwnerText) ||
        !Prepare(takeOver, TakeOverText)) {
        begin.exec(QStringLiteral("ROLLBACK"));
        return claims;
    }
    QHash<QString, bool> running; // each other owner is asked once
    for (qsizetype i = 0; i < addresses.size() && Usable(); ++i) {
        Claim& found = claims[i];
        found.savedName = SavedNameBy(lookUp, addresses[i]);
        if (!found.savedName.isEmpty()) {
            found.claimed = Claimed::Saved;
            continue;
        }
        const QString key = KeyOf(addresses[i]);
        claim.addBindValue(key);
        claim.addBindValue(owner->Name());
        if (claim.exec() && claim.numRowsAffected() > 0)
            continue;
        ownerOf.addBindValue(key);
        const QString other =
            ownerOf.exec() && ownerOf.next() ? ownerOf.value(0).toString() : owner->Name();
        ownerOf.finish();
        if (other == owner->Name())
            continue;
        if (!running.contains(other))
            running.insert(other, ProcessOwner::IsRunning(other));
        if (running.value(other)) {
            found.claimed = Claimed::Elsewhere;
            continue;
        }
        takeOver.addBindValue(owner->Name());
        takeOver.addBindValue(key);
        takeOver.exec();
    }
    for (QSqlQuery* query : {&lookUp, &claim, &ownerOf, &takeOver})
        query->finish();
    if (!begin.exec(QStringLiteral("COMMIT")))
        LoseBy(begin.lastError());
    return claims;
}

bool DownloadArchive::Write(const QList<SavedFile>& saved, const QStringList& released) {
    if ((saved.isEmpty() && released.isEmpty()) || !Usable())
        return false;
    const auto connection = Connect();
    const QSqlDatabase database = connection->Database();
    QSqlQuery begin(database), insert(database), forget(database), release(database);
    if (!Opened(*connection) || !Begin(begin) || !Prepare(insert, RecordText) ||
        !Prepare(forget, ForgetText) || !Prepare(release, ReleaseText)) {
        begin.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    bool written = true;
    for (const SavedFile& file : saved) {
        const QFileInfo info(file.file);
        written = written && Insert(insert, file.address, info.absolutePath(), info.fileName(),
                                    info.size(), file.page, now);
        // The row an earlier version kept under the address with its login.
        if (written && KeyOf(file.address) != file.address) {
            forget.addBindValue(file.address);
            forget.exec();
        }
    }
    for (const QString& address : released) {
        if (!owner)
            break;
        release.addBindValue(KeyOf(address));
        release.addBindValue(owner->Name());
        release.exec();
    }
    for (QSqlQuery* query : {&insert, &forget, &release})
        query->finish();
    if (!written || !begin.exec(QStringLiteral("COMMIT"))) {
        LoseBy(written ? begin.lastError() : insert.lastError());
        begin.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool DownloadArchive::Record(const QString& address, const QString& file, const QString& page) {
    return Write({{address, file, page}}, {});
}

void DownloadArchive::ReleaseAll() {
    if (!owner || !Usable())
        return;
    const auto connection = Connect();
    QSqlQuery release(connection->Database());
    if (Opened(*connection) &&
        Prepare(release, QStringLiteral("DELETE FROM claims WHERE owner = ?"))) {
        release.addBindValue(owner->Name());
        if (!release.exec())
            LoseBy(release.lastError());
    }
}

bool DownloadArchive::MergeFrom(const QString& other, Merged& merged, QString& error) {
    merged = Merged();
    QString why;
    switch (Judged(other, true, why)) {
    case Kind::Missing:
        error = QStringLiteral("no such file");
        return false;
    case Kind::Database:
        return MergeDatabase(other, merged, error);
    case Kind::TextForm:
        return MergeTextForm(other, merged, error);
    case Kind::CutShort:
    case Kind::Damaged:
    case Kind::Refused:
        break;
    }
    error = why;
    return false;
}

// Row by row, so each is checked as a row of the text form is.
bool DownloadArchive::MergeDatabase(const QString& other, Merged& merged, QString& error) {
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery attach(database), rows(database), insert(database);
    if (!connection.IsOpen()) {
        error = connection.Error();
        return false;
    }
    attach.prepare(QStringLiteral("ATTACH DATABASE ? AS other"));
    attach.addBindValue(other);
    bool done = attach.exec() && database.transaction() && insert.prepare(MergeText) &&
                rows.exec(QStringLiteral(
                    "SELECT address, folder, name, size, saved_at, page FROM other.saved"));
    while (done && rows.next()) {
        const QString folder = rows.value(1).toString(), name = rows.value(2).toString();
        if (!DownloadJob::IsPlainFileName(name) || !IsRowFolder(folder)) {
            ++merged.leftOut;
            continue;
        }
        done = Insert(insert, rows.value(0).toString(), folder, name, rows.value(3).toLongLong(),
                      rows.value(5).toString(), rows.value(4).toLongLong());
        merged.added += done ? insert.numRowsAffected() : 0;
    }
    QSqlError failed;
    for (const QSqlQuery* query : {&attach, &rows, &insert})
        if (!failed.isValid())
            failed = query->lastError();
    rows.finish();
    insert.finish();
    done = done && !failed.isValid() && database.commit();
    if (!done) {
        error = ErrorText(failed.isValid() ? failed : database.lastError());
        database.rollback();
        merged.added = 0;
    }
    attach.exec(QStringLiteral("DETACH DATABASE other"));
    return done;
}

bool DownloadArchive::MergeTextForm(const QString& other, Merged& merged, QString& error) {
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery insert(database);
    if (!connection.IsOpen() || !database.transaction() || !insert.prepare(MergeText)) {
        error = connection.IsOpen() ? database.lastError().text() : connection.Error();
        return false;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const auto take = [&](const QString& address, const QString& name) {
        if (Insert(insert, address, QString(), name, -1, QString(), now))
            merged.added += insert.numRowsAffected();
    };
    QString why;
    if (!RecordFile::ReadTextForm(other, take, why) || !database.commit()) {
        error = why.isEmpty() ? database.lastError().text() : why;
        database.rollback();
        merged.added = 0;
        return false;
    }
    return true;
}

bool DownloadArchive::Forget() {
    if (!Usable())
        return false;
    const RecordConnection connection(path);
    QSqlQuery forget(connection.Database());
    return connection.IsOpen() && forget.exec(QStringLiteral("DELETE FROM saved"));
}

void DownloadArchive::Hold() {
    const std::lock_guard<std::mutex> guard(heldLock);
    held.try_emplace(std::this_thread::get_id());
}

void DownloadArchive::LetGo() {
    std::shared_ptr<const RecordConnection> closing; // closed outside the lock
    const std::lock_guard<std::mutex> guard(heldLock);
    const auto found = held.find(std::this_thread::get_id());
    if (found == held.end())
        return;
    closing = std::move(found->second);
    held.erase(found);
}

// Opened outside the lock: opening may wait for another process's writes.
std::shared_ptr<const RecordConnection> DownloadArchive::Connect() const {
    const auto thread = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(heldLock);
    const auto found = held.find(thread);
    const bool holds = found != held.end();
    if (holds && found->second)
        return found->second;
    guard.unlock();
    auto opened = std::make_shared<const RecordConnection>(path);
    if (holds) {
        guard.lock();
        held[thread] = opened;
    }
    return opened;
}

// A connection this thread holds to a file about to be set aside would
// write on into it there.
void DownloadArchive::Reconnect() const {
    const std::lock_guard<std::mutex> guard(heldLock);
    const auto found = held.find(std::this_thread::get_id());
    if (found != held.end())
        found->second.reset();
}

QString DownloadArchive::Path() const {
    return path;
}

QString DownloadArchive::KeptTextForm() const {
    return keptTextForm;
}

QString DownloadArchive::SetAsideAs() const {
    return setAsideAs;
}

QString DownloadArchive::SetAsideWhy() const {
    return setAsideWhy;
}

QString DownloadArchive::Lost() const {
    const std::lock_guard<std::mutex> guard(lostLock);
    return lost;
}

bool DownloadArchive::Usable() const {
    return Lost().isEmpty();
}

void DownloadArchive::Lose(const QString& why) const {
    const std::lock_guard<std::mutex> guard(lostLock);
    if (lost.isEmpty())
        lost = why.isEmpty() ? QStringLiteral("cannot be used") : why;
}

void DownloadArchive::LoseBy(const QSqlError& error) const {
    Lose(ErrorText(error));
}

bool DownloadArchive::Opened(const RecordConnection& connection) const {
    if (connection.IsOpen())
        return true;
    LoseBy(connection.Failure());
    return false;
}

bool DownloadArchive::Begin(QSqlQuery& query) const {
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    LoseBy(query.lastError());
    return false;
}

bool DownloadArchive::Prepare(QSqlQuery& query, const QString& statement) const {
    if (query.prepare(statement))
        return true;
    LoseBy(query.lastError());
    return false;
}
