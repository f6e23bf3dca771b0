#pragma once

#include "harvest/HarvestLine.h"

#include <QList>
#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <thread>

class ProcessOwner;
class RecordConnection;
class QSqlError;
class QSqlQuery;

// A record of what was saved, so a repeat run fetches only what is new: per
// saved file its address, folder, name, size, time and the page it was listed
// on, kept in an SQLite file that several processes may write at once. Saved
// files are recorded in batches; a file saved but not yet recorded when a run
// is killed is found in its folder by the next (DownloadTransfer). Look-ups go
// through the address's index; nothing is read whole.
// A record that cannot be written (held by another program past the busy
// timeout, read-only) is given up at the first failure, with the reason
// (Lost), and not touched again: one wait, never one per picture.
class DownloadArchive {
public:
    enum class Rule {
        // --archive FILE: an address the record holds was saved, wherever its file is now.
        AddressRecorded,
        // A folder's own record: a file counts as saved only while the file the
        // record names is still in its folder with the recorded size.
        FileStillThere,
    };

    explicit DownloadArchive(const QString& path, Rule rule = Rule::AddressRecorded);
    ~DownloadArchive();
    DownloadArchive(const DownloadArchive&) = delete;
    DownloadArchive& operator=(const DownloadArchive&) = delete;
    // The record of a download folder, opened: one file per folder under the
    // program's data folder, never inside the picture folder, and never
    // opened through a symbolic link. One that is damaged (cut short, no
    // record, a link, not a plain file) is set aside (SetAsideAs) and a new
    // one made.
    // hold: whether the calling thread holds it from the start (Hold).
    enum class Held { No, ByThisThread };
    static std::shared_ptr<DownloadArchive> ForFolder(const QString& folder, Held hold = Held::No);

    // Opens the record, making it when missing, and makes sure it can be
    // written. A record in the plain-text form of earlier versions (an
    // address, a tab and a name a line) is converted once; the text is kept
    // beside it (KeptTextForm). Any other file that is no sound record is
    // refused and left as it is. False, with error set, when the record
    // cannot be used.
    bool Load(QString& error);
    // The name an address was saved under; empty when it does not count as saved.
    QString SavedName(const QString& address) const;
    // For each line, the name its address was saved under; empty where it does
    // not count as saved.
    QStringList SavedNames(const HarvestLines& lines) const;
    // The lines whose addresses do not count as saved.
    HarvestLines Unsaved(const HarvestLines& lines) const;

    // What a claim found.
    enum class Claimed {
        Taken,     // the address is this record's owner's to fetch now
        Saved,     // the record counts it as saved, under savedName
        Elsewhere, // another owner that still runs (a job, a process) is fetching it
    };
    struct Claim {
        Claimed claimed = Claimed::Taken;
        QString savedName;
    };
    // Looks each address up and claims those neither saved nor another live
    // owner's for this record's own owner, in one transaction no other
    // process comes between: of several jobs and processes sharing the
    // record, one fetches each address. A record that cannot be written
    // claims nothing: a claim is then Taken, or Saved by a look-up.
    QList<Claim> ClaimAll(const QStringList& addresses);

    // A saved file: its address, its full path and the page it was listed on.
    struct SavedFile {
        QString address;
        QString file;
        QString page;
    };
    // Records the saved files and gives up this record's claims on released
    // addresses, in one transaction; false when the record was not written.
    bool Write(const QList<SavedFile>& saved, const QStringList& released);
    // Records one saved file; false when the record was not written.
    bool Record(const QString& address, const QString& file, const QString& page = QString());
    // Gives up every claim of this record's owner.
    void ReleaseAll();

    // What MergeFrom took and left.
    struct Merged {
        int added = 0;   // records this one lacked
        int leftOut = 0; // records naming no plain file in a folder
    };
    // Adds the records of another record file (or its earlier text form) that
    // this one lacks; an address both hold keeps this one's. A record whose
    // name is no plain file name, or whose folder is no plain absolute
    // path, is left out. False, with error set, when either cannot be read
    // or this one written.
    bool MergeFrom(const QString& other, Merged& merged, QString& error);
    // Forgets every file recorded; false when the record could not be written.
    bool Forget();

    // From now until LetGo, called on the same thread, the calling thread's
    // uses share one connection, opened at the first: SQLite then copies its
    // log back into the file once, when its last connection closes, rather
    // than after each use. Each thread that holds one lets go of it before
    // the record is destroyed.
    void Hold();
    void LetGo();

    QString Path() const;
    // Where Load put the text form it converted; empty when it converted none.
    QString KeptTextForm() const;
    // Where a folder's record that was damaged went, with why; empty when none was.
    QString SetAsideAs() const;
    QString SetAsideWhy() const;
    // Why the record is no longer written or read; empty while it is.
    QString Lost() const;

private:
    std::shared_ptr<const RecordConnection> Connect() const;
    void Reconnect() const;
    bool Usable() const;
    void Lose(const QString& why) const;
    void LoseBy(const QSqlError& error) const;
    bool Opened(const RecordConnection& connection) const;
    bool Begin(QSqlQuery& query) const;
    bool Prepare(QSqlQuery& query, const QString& statement) const;
    bool TryWrite(QString& error);
    QSqlError WriteNothing() const;
    bool LoadFile(QString& error);
    bool SetAside(const QString& why, QString& error);
    QString SavedNameBy(QSqlQuery& lookUp, const QString& address) const;
    QString Counted(const QString& rowFolder, const QString& name, qint64 size) const;
    bool CountsAsSaved(const QString& folder, const QString& name, qint64 size) const;
    bool ConvertTextForm(QString& error);
    bool MergeDatabase(const QString& other, Merged& merged, QString& error);
    bool MergeTextForm(const QString& other, Merged& merged, QString& error);

    QString path;
    Rule rule;
    QString folder; // a folder's own record: the folder, its links resolved
    QString keptTextForm;
    QString setAsideAs;
    QString setAsideWhy;
    std::unique_ptr<ProcessOwner> owner; // made at the first claim
    mutable std::mutex heldLock;         // the job's worker and its owner's thread hold their own
    mutable std::map<std::thread::id, std::shared_ptr<const RecordConnection>> held;
    mutable std::mutex lostLock; // a job's worker and its owner both ask
    mutable QString lost;
};
