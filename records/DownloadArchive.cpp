#include "records/DownloadArchive.h"

#include "core/DataFolder.h"
#include "fetch/DownloadJob.h"
#include "records/ProcessOwner.h"
#include "records/RecordConnection.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// How every SQLite file begins.
const QByteArray DatabaseHeader("SQLite format 3\0", 16);

bool IsTextForm(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() > 0 && file.read(16) != DatabaseHeader;
}

// A name beside path that no file has yet: "saved.txt", then "saved.2.txt", ...
QString FreeNameBeside(const QString& path) {
    QString name = path + QStringLiteral(".txt");
    for (int number = 2; QFileInfo::exists(name); ++number)
        name = path + QStringLiteral(".%1.txt").arg(number);
    return name;
}

const QString LookUpText = QStringLiteral("SELECT folder, name, size FROM saved WHERE address = ?");
const QString RecordText = QStringLiteral("INSERT OR REPLACE INTO saved "
                                          "(address, folder, name, size, saved_at, page) "
                                          "VALUES (?, ?, ?, ?, ?, ?)");
// A merge keeps what the record holds.
const QString MergeText = QStringLiteral("INSERT OR IGNORE INTO saved "
                                         "(address, folder, name, size, saved_at, page) "
                                         "VALUES (?, ?, ?, ?, ?, ?)");
const QString MergeRecordsText =
    QStringLiteral("INSERT OR IGNORE INTO saved (address, folder, name, size, saved_at, page) "
                   "SELECT address, folder, name, size, saved_at, page FROM other.saved");

// Splits a line of the text form, "address<TAB>name"; false for any other line.
bool SplitTextLine(QString line, QString& address, QString& name) {
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    address = line.left(tab);
    name = line.mid(tab + 1);
    return tab > 0;
}

bool Insert(QSqlQuery& insert, const QString& address, const QString& folder, const QString& name,
            qint64 size, const QString& page) {
    insert.addBindValue(address);
    insert.addBindValue(RecordConnection::NotNull(folder));
    insert.addBindValue(name);
    insert.addBindValue(size);
    insert.addBindValue(QDateTime::currentSecsSinceEpoch());
    insert.addBindValue(RecordConnection::NotNull(page));
    return insert.exec();
}

} // namespace

DownloadArchive::DownloadArchive(const QString& path, Rule rule) : path(path), rule(rule) {}

std::shared_ptr<DownloadArchive> DownloadArchive::ForFolder(const QString& folder) {
    const QByteArray key =
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1);
    const QString base =
        DataFolder::Path() + QStringLiteral("/Saved/") + QString::fromLatin1(key.toHex());
    // Earlier versions kept the record as "KEY.txt": it becomes the database's
    // text form, converted by Load (the rename never replaces a file).
    QFile::rename(base + QStringLiteral(".txt"), base + QStringLiteral(".sqlite"));
    auto archive =
        std::make_shared<DownloadArchive>(base + QStringLiteral(".sqlite"), Rule::FileStillThere);
    archive->folder = QDir::cleanPath(folder);
    // An unreadable record only costs fetching those pictures again.
    QString unread;
    archive->Load(unread);
    return archive;
}

bool DownloadArchive::Load(QString& error) {
    if (IsTextForm(path))
        return ConvertTextForm(error);
    const RecordConnection connection(path);
    error = connection.Error();
    return connection.IsOpen();
}

// Under a lock, so that of several processes starting at once one converts and
// the others find the database.
bool DownloadArchive::ConvertTextForm(QString& error) {
    QLockFile lock(path + QStringLiteral(".converting"));
    lock.lock();
    if (!IsTextForm(path))
        return Load(error);
    const QString kept = FreeNameBeside(path);
    QFile text(path);
    if (!text.rename(kept) || !text.open(QIODevice::ReadOnly)) {
        error = text.errorString();
        return false;
    }
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery insert(database);
    if (!connection.IsOpen() || !database.transaction() || !insert.prepare(RecordText)) {
        error = connection.IsOpen() ? database.lastError().text() : connection.Error();
        return false;
    }
    QString address, name;
    while (!text.atEnd())
        if (SplitTextLine(QString::fromUtf8(text.readLine()), address, name))
            CarryOver(insert, address, name);
    if (!database.commit()) {
        error = database.lastError().text();
        return false;
    }
    keptTextForm = kept;
    return true;
}

// The text form kept no folder or size. A folder's own record takes a file named
// as recorded that is in the folder now, with its size now; an --archive record
// needs only the address.
void DownloadArchive::CarryOver(QSqlQuery& insert, const QString& address,
                                const QString& name) const {
    if (rule == Rule::AddressRecorded) {
        Insert(insert, address, QString(), name, -1, QString());
        return;
    }
    const QFileInfo file(QDir(folder).filePath(name));
    if (DownloadJob::IsPlainFileName(name) && file.isFile())
        Insert(insert, address, folder, name, file.size(), QString());
}

QString DownloadArchive::SavedName(const QString& address) const {
    const RecordConnection connection(path);
    QSqlQuery lookUp(connection.Database());
    return connection.IsOpen() && lookUp.prepare(LookUpText) ? SavedNameBy(lookUp, address)
                                                             : QString();
}

QString DownloadArchive::SavedNameBy(QSqlQuery& lookUp, const QString& address) const {
    lookUp.addBindValue(address);
    if (!lookUp.exec() || !lookUp.next())
        return QString();
    const QString name = lookUp.value(1).toString();
    if (rule == Rule::AddressRecorded)
        return name;
    const QFileInfo file(QDir(lookUp.value(0).toString()).filePath(name));
    return file.isFile() && file.size() == lookUp.value(2).toLongLong() ? name : QString();
}

bool DownloadArchive::Record(const QString& address, const QString& file, const QString& page) {
    const QFileInfo saved(file);
    const RecordConnection connection(path);
    QSqlQuery insert(connection.Database());
    return connection.IsOpen() && insert.prepare(RecordText) &&
           Insert(insert, address, saved.absolutePath(), saved.fileName(), saved.size(), page);
}

DownloadArchive::Claimed DownloadArchive::Claim(const QString& address, QString& savedName) {
    savedName.clear();
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery begin(database);
    // Taken for writing from the start: a read first would let two processes
    // both find the address free.
    if (!connection.IsOpen() || !begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return Claimed::Taken;
    QSqlQuery query(database);
    Claimed claimed = Claimed::Saved;
    if (query.prepare(LookUpText))
        savedName = SavedNameBy(query, address);
    if (savedName.isEmpty()) {
        query.prepare(QStringLiteral("SELECT owner FROM claims WHERE address = ?"));
        query.addBindValue(address);
        const QString owner = query.exec() && query.next() ? query.value(0).toString() : QString();
        claimed = owner != ProcessOwner::This() && ProcessOwner::IsRunning(owner)
                      ? Claimed::Elsewhere
                      : Claimed::Taken;
    }
    if (claimed == Claimed::Taken) {
        query.prepare(
            QStringLiteral("INSERT OR REPLACE INTO claims (address, owner) VALUES (?, ?)"));
        query.addBindValue(address);
        query.addBindValue(ProcessOwner::This());
        query.exec();
    }
    query.finish();
    begin.exec(QStringLiteral("COMMIT"));
    return claimed;
}

void DownloadArchive::Release(const QString& address) {
    const RecordConnection connection(path);
    QSqlQuery release(connection.Database());
    if (connection.IsOpen() &&
        release.prepare(QStringLiteral("DELETE FROM claims WHERE address = ? AND owner = ?"))) {
        release.addBindValue(address);
        release.addBindValue(ProcessOwner::This());
        release.exec();
    }
}

void DownloadArchive::ReleaseAll() {
    const RecordConnection connection(path);
    QSqlQuery release(connection.Database());
    if (connection.IsOpen() &&
        release.prepare(QStringLiteral("DELETE FROM claims WHERE owner = ?"))) {
        release.addBindValue(ProcessOwner::This());
        release.exec();
    }
}

bool DownloadArchive::MergeFrom(const QString& other, int& added, QString& error) {
    added = 0;
    if (!QFileInfo(other).isFile()) {
        error = QStringLiteral("no such file");
        return false;
    }
    if (IsTextForm(other))
        return MergeTextForm(other, added, error);
    const RecordConnection connection(path);
    QSqlQuery query(connection.Database());
    if (!connection.IsOpen()) {
        error = connection.Error();
        return false;
    }
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS other"));
    query.addBindValue(other);
    const bool merged = query.exec() && query.exec(MergeRecordsText);
    added = merged ? query.numRowsAffected() : 0;
    error = query.lastError().text();
    query.exec(QStringLiteral("DETACH DATABASE other"));
    return merged;
}

bool DownloadArchive::MergeTextForm(const QString& other, int& added, QString& error) {
    QFile text(other);
    const RecordConnection connection(path);
    QSqlDatabase database = connection.Database();
    QSqlQuery insert(database);
    if (!text.open(QIODevice::ReadOnly) || !connection.IsOpen() || !database.transaction() ||
        !insert.prepare(MergeText)) {
        error = !text.isOpen()        ? text.errorString()
                : connection.IsOpen() ? database.lastError().text()
                                      : connection.Error();
        return false;
    }
    QString address, name;
    while (!text.atEnd())
        if (SplitTextLine(QString::fromUtf8(text.readLine()), address, name) &&
            Insert(insert, address, QString(), name, -1, QString()))
            added += insert.numRowsAffected();
    if (!database.commit()) {
        error = database.lastError().text();
        return false;
    }
    return true;
}

bool DownloadArchive::Forget() {
    const RecordConnection connection(path);
    QSqlQuery forget(connection.Database());
    return connection.IsOpen() && forget.exec(QStringLiteral("DELETE FROM saved"));
}

QString DownloadArchive::Path() const {
    return path;
}

QString DownloadArchive::KeptTextForm() const {
    return keptTextForm;
}

HarvestLines DownloadArchive::Unsaved(const HarvestLines& lines) const {
    const QStringList names = SavedNames(lines);
    HarvestLines unsaved;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (names[i].isEmpty())
            unsaved.append(lines[i]);
    return unsaved;
}

QStringList DownloadArchive::SavedNames(const HarvestLines& lines) const {
    QStringList names(lines.size());
    const RecordConnection connection(path);
    QSqlQuery lookUp(connection.Database());
    if (!connection.IsOpen() || !lookUp.prepare(LookUpText))
        return names;
    for (qsizetype i = 0; i < lines.size(); ++i)
        names[i] = SavedNameBy(lookUp, lines[i].address);
    return names;
}
