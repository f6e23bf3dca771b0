#pragma once

#include "watches/Watch.h"
#include "watches/WatchCheck.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QSqlQuery;
class QVariant;
class RecordConnection;

// The watch list: every watch with its choices and the outcome of its last
// check, and the addresses each watch has seen, in one SQLite file of the data
// folder that the window and any number of quillmar-harvest runs share. Kept
// as the records of saved files are: a write-ahead log, a writer that waits
// for another instead of failing, one transaction per change. The seen
// addresses are a table of their own, apart from any folder's record, so a
// picture the person deleted stays seen. One store serves the thread that
// made it.
class WatchStore {
public:
    static QString DefaultPath(); // "Watches.sqlite" in the data folder

    // Opens the list, making it when missing. It is never opened through a
    // symbolic link. A file that is no SQLite database or is damaged is set
    // aside under a name of its own (Notice says where) and a new list begun.
    explicit WatchStore(const QString& path = DefaultPath());
    ~WatchStore();
    WatchStore(const WatchStore&) = delete;
    WatchStore& operator=(const WatchStore&) = delete;

    bool IsOpen() const;
    // Why the last call failed, or why the list could not be opened.
    QString Error() const { return error; }
    // What became of a damaged list found at opening; empty when none was.
    QString Notice() const { return notice; }

    // Adds the watch of watch.address, made at now; when the list has one
    // already, gives it watch's title, folder, choices and period and keeps
    // what it has seen and the outcome of its checks.
    bool Put(const Watch& watch, qint64 now);
    // Removes the watch of address with the addresses it has seen; its folder
    // and files are not touched. False, with Error set, when there is none.
    bool Remove(const QString& address);
    std::optional<Watch> Find(const QString& address) const;
    // Every watch, oldest first.
    QList<Watch> List() const;
    // The watches due at now (WatchSchedule), or all of them.
    QList<Watch> Due(qint64 now, bool all = false) const;
    // The person has seen the new pictures of the watch of address.
    bool MarkLookedAt(const QString& address);
    // Keeps the outcome of a check of watch: a good one counts its new
    // pictures to those not yet looked at; a failed one keeps the pictures of
    // the last good check. False when the watch was removed meanwhile.
    bool RecordCheck(const Watch& watch, const WatchCheck& check);

    // Of addresses, in their order, those watch has not seen; nothing, with
    // Error set, when the list cannot be read, so that no check takes every
    // address for new.
    std::optional<QStringList> Unseen(const Watch& watch, const QStringList& addresses) const;
    // Notes addresses as seen by watch, all in one transaction; false when the
    // watch was removed meanwhile or the list could not be written.
    bool MarkSeen(const Watch& watch, const QStringList& addresses);

private:
    void Open();
    bool SetAsideIfDamaged();
    bool ChangeWatch(const QString& column, const QVariant& key, const QString& address,
                     const std::function<bool(QSqlQuery&, qint64)>& change);
    bool Failed(const QString& why) const;

    QString path;
    std::unique_ptr<RecordConnection> connection;
    mutable QString error;
    QString notice;
};
