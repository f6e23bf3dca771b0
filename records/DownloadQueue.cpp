#include "records/DownloadQueue.h"

#include "core/DataFolder.h"
#include "fetch/DownloadFile.h"
#include "fetch/DownloadFolders.h"
#include "records/ProcessOwner.h"
#include "records/RecordConnection.h"
#include "transfer/TransferRules.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <algorithm>

namespace {

const QStringList QueueTables = {
    QStringLiteral("CREATE TABLE IF NOT EXISTS jobs (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                   "owner TEXT NOT NULL, folder TEXT NOT NULL, recorded INTEGER NOT NULL, "
                   "page TEXT NOT NULL, policy TEXT NOT NULL, file_sources INTEGER NOT NULL, "
                   "parallel INTEGER NOT NULL, rate INTEGER NOT NULL)"),
    QStringLiteral("CREATE TABLE IF NOT EXISTS entries (job INTEGER NOT NULL, "
                   "position INTEGER NOT NULL, source TEXT NOT NULL, destination TEXT NOT NULL, "
                   "name TEXT NOT NULL, page TEXT NOT NULL, policy TEXT NOT NULL, "
                   "elements TEXT NOT NULL, saved INTEGER NOT NULL, PRIMARY KEY (job, position))"),
};

const QString InsertJobText = QStringLiteral(
    "INSERT INTO jobs (owner, folder, recorded, page, policy, file_sources, parallel, rate) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
const QString InsertEntryText =
    QStringLiteral("INSERT INTO entries (job, position, source, destination, name, page, policy, "
                   "elements, saved) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");

bool InsertEntry(QSqlQuery& insert, qint64 id, int position, const DownloadJob& job) {
    const DownloadEntry& entry = job.Entries[position];
    // An entry listed on the job's own page follows the page's policy.
    const RefererPolicy& policy = entry.Page.isEmpty() ? job.Rules.PagePolicy : entry.Policy;
    for (const QVariant& value :
         QVariantList{id, position, entry.Source, entry.Destination, entry.Name,
                      RecordConnection::NotNull(entry.Page.toString()), policy.RuleName(),
                      RecordConnection::NotNull(
                          policy.ElementRuleNames(entry.Source).join(QLatin1Char(','))),
                      int(entry.Status == DownloadEntry::State::Saved)})
        insert.addBindValue(value);
    return insert.exec();
}

QList<QPair<QString, QString>> ElementsOf(const QString& source, const QString& names) {
    QList<QPair<QString, QString>> elements;
    for (const QString& name : names.split(QLatin1Char(','), Qt::SkipEmptyParts))
        elements.append({source, name});
    return elements;
}

// Where a name template put the file: the folders between the job's and the file's.
QString SubfolderOf(const QString& jobFolder, const QString& folder) {
    const QString inside = jobFolder + QLatin1Char('/');
    return !jobFolder.isEmpty() && folder.startsWith(inside) ? folder.mid(inside.size())
                                                             : QString();
}

// The file's place inside the job's folder, or false when destination is not
// name there or in folders of plain names below it.
bool PlaceInside(const QString& jobFolder, const QString& destination, const QString& name,
                 QString& subfolder) {
    const QFileInfo file(destination);
    if (!DownloadJob::IsPlainFileName(name) || file.fileName() != name)
        return false;
    subfolder = SubfolderOf(jobFolder, file.path());
    if (subfolder.isEmpty())
        return file.path() == jobFolder;
    const QStringList parts = subfolder.split(QLatin1Char('/'));
    return std::all_of(parts.begin(), parts.end(), &DownloadJob::IsPlainFileName);
}

// What a page may have fetched: a local file only for a local page, and only
// a job listed on a local page had local pages of its own.
bool MayFetch(const TransferRules& rules, const QString& source, const QUrl& page) {
    if (page.isLocalFile() && !rules.Page.isLocalFile())
        return false;
    return TransferRules::SourceRefusal(QUrl(source), rules.FileSourceAllowed(page)).isEmpty();
}

} // namespace

DownloadQueue::DownloadQueue(const QString& path) : path(path) {}

QString DownloadQueue::DefaultPath() {
    return DataFolder::Path() + QStringLiteral("/Downloads.sqlite");
}

qint64 DownloadQueue::Add(const QString& folder, const DownloadJob& job, bool recorded) {
    const RecordConnection connection(path, QueueTables);
    QSqlDatabase database = connection.Database();
    if (!connection.IsOpen() || !database.transaction())
        return 0;
    QSqlQuery insert(database);
    insert.prepare(InsertJobText);
    for (const QVariant& value : QVariantList{
             ProcessOwner::This(), RecordConnection::NotNull(folder), int(recorded),
             RecordConnection::NotNull(job.Rules.Page.toString()), job.Rules.PagePolicy.RuleName(),
             int(job.Rules.FileSourcesAllowed), job.Parallel, job.Rules.MaxBytesPerSecond})
        insert.addBindValue(value);
    if (!insert.exec()) {
        database.rollback();
        return 0;
    }
    const qint64 id = insert.lastInsertId().toLongLong();
    insert.prepare(InsertEntryText);
    for (int position = 0; position < job.Count(); ++position) {
        if (!InsertEntry(insert, id, position, job)) {
            database.rollback();
            return 0;
        }
    }
    return database.commit() ? id : 0;
}

void DownloadQueue::MarkSaved(qint64 id, int index) {
    Execute(QStringLiteral("UPDATE entries SET saved = 1 WHERE job = ? AND position = ?"),
            {id, index});
}

void DownloadQueue::Release(qint64 id) {
    Execute(QStringLiteral("UPDATE jobs SET owner = '' WHERE id = ?"), {id});
}

QList<QueuedJob> DownloadQueue::Interrupted() {
    QList<QueuedJob> interrupted;
    for (QueuedJob& queued : StoppedJobs()) {
        ReadEntries(queued);
        if (queued.Job.Count() == 0)
            Remove(queued.Id);
        else
            interrupted.append(queued);
    }
    return interrupted;
}

bool DownloadQueue::Take(const QueuedJob& job) {
    const RecordConnection connection(path, QueueTables);
    QSqlDatabase database = connection.Database();
    if (!connection.IsOpen() || !database.transaction())
        return false;
    // Of several processes offering the same job, the first to take it runs it.
    QSqlQuery take(database);
    take.prepare(QStringLiteral("DELETE FROM jobs WHERE id = ? AND owner = ?"));
    take.addBindValue(job.Id);
    take.addBindValue(RecordConnection::NotNull(job.Owner));
    QSqlQuery entries(database);
    entries.prepare(QStringLiteral("DELETE FROM entries WHERE job = ?"));
    entries.addBindValue(job.Id);
    if (!take.exec() || take.numRowsAffected() != 1 || !entries.exec()) {
        database.rollback();
        return false;
    }
    return database.commit();
}

void DownloadQueue::Forget(const QueuedJob& job) {
    if (!Take(job))
        return;
    const DownloadFolders open(job.Job.Entries, DownloadFolders::Missing::Leave);
    for (const DownloadEntry& entry : job.Job.Entries) {
        const int folder = open.Handle(DownloadFolders::FolderOf(entry));
        if (folder >= 0)
            DownloadFile::RemovePartial(folder, DownloadFile::PartialName(entry.Name),
                                        entry.Source);
    }
}

bool DownloadQueue::Execute(const QString& statement, const QVariantList& values) {
    const RecordConnection connection(path, QueueTables);
    QSqlQuery query(connection.Database());
    if (!connection.IsOpen() || !query.prepare(statement))
        return false;
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

QList<QueuedJob> DownloadQueue::StoppedJobs() {
    QList<QueuedJob> stopped;
    const RecordConnection connection(path, QueueTables);
    QSqlQuery query(connection.Database());
    if (!connection.IsOpen() ||
        !query.exec(QStringLiteral("SELECT id, owner, folder, recorded, page, policy, "
                                   "file_sources, parallel, rate FROM jobs ORDER BY id")))
        return stopped;
    QHash<QString, bool> running;
    while (query.next()) {
        const QString owner = query.value(1).toString();
        if (!running.contains(owner))
            running.insert(owner, ProcessOwner::IsRunning(owner));
        if (running.value(owner))
            continue;
        QueuedJob queued;
        queued.Id = query.value(0).toLongLong();
        queued.Owner = owner;
        queued.Folder = query.value(2).toString();
        queued.Recorded = query.value(3).toBool();
        queued.Job.Rules.Page = QUrl(query.value(4).toString());
        // The rule alone for now; ReadEntries adds the elements' own.
        queued.Job.Rules.PagePolicy = RefererPolicy(query.value(5).toString());
        // Only a local page may have its local files fetched, whatever the queue says.
        queued.Job.Rules.FileSourcesAllowed =
            query.value(6).toBool() && queued.Job.Rules.Page.isLocalFile();
        queued.Job.Parallel = query.value(7).toInt();
        queued.Job.Rules.MaxBytesPerSecond = query.value(8).toLongLong();
        stopped.append(queued);
    }
    return stopped;
}

// The queue is a file in the data folder, which anyone who can write there
// may have planted: a job whose folder is not a plain path is left without
// files (and so removed), and an entry is taken only where it stays inside
// its job's folder under its own plain name and fetches what its page could.
void DownloadQueue::ReadEntries(QueuedJob& queued) {
    if (!RecordConnection::IsPlainFolder(queued.Folder))
        return;
    const RecordConnection connection(path, QueueTables);
    QSqlQuery query(connection.Database());
    if (!connection.IsOpen() || !query.prepare(QStringLiteral(
                                    "SELECT source, destination, name, page, policy, elements "
                                    "FROM entries WHERE job = ? AND saved = 0 ORDER BY position")))
        return;
    query.addBindValue(queued.Id);
    if (!query.exec())
        return;
    const QString pageRule = queued.Job.Rules.PagePolicy.RuleName();
    QList<QPair<QString, QString>> pageElements;
    while (query.next()) {
        const QString source = query.value(0).toString();
        const QUrl page(query.value(3).toString());
        QString subfolder;
        if (!PlaceInside(queued.Folder, query.value(1).toString(), query.value(2).toString(),
                         subfolder) ||
            !MayFetch(queued.Job.Rules, source, page))
            continue;
        queued.Job.Add(queued.Folder, query.value(2).toString(), source, subfolder);
        const auto elements = ElementsOf(source, query.value(5).toString());
        if (page.isEmpty()) {
            pageElements += elements;
            continue;
        }
        queued.Job.Entries.last().Page = page;
        queued.Job.Entries.last().Policy = RefererPolicy(query.value(4).toString(), elements);
    }
    queued.Job.Rules.PagePolicy = RefererPolicy(pageRule, pageElements);
}

void DownloadQueue::Remove(qint64 id) {
    const RecordConnection connection(path, QueueTables);
    QSqlDatabase database = connection.Database();
    if (!connection.IsOpen() || !database.transaction())
        return;
    QSqlQuery query(database);
    for (const QString& statement : {QStringLiteral("DELETE FROM entries WHERE job = ?"),
                                     QStringLiteral("DELETE FROM jobs WHERE id = ?")}) {
        query.prepare(statement);
        query.addBindValue(id);
        if (!query.exec()) {
            database.rollback();
            return;
        }
    }
    database.commit();
}
