#pragma once

#include "harvest/HarvestLine.h"

#include <QString>

#include <memory>

class QSqlQuery;

// A record of what was saved, so a repeat run fetches only what is new: per
// saved file its address, folder, name, size, time and the page it was listed
// on, kept in an SQLite file that several processes may write at once. Each
// file is recorded as it is saved, so an interrupted run keeps its record.
// Look-ups go through the address's index; nothing is read whole.
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
    // The record of a download folder, opened: one file per folder under the
    // program's data folder, never inside the picture folder.
    static std::shared_ptr<DownloadArchive> ForFolder(const QString& folder);

    // Opens the record, making it when missing. A record in the plain-text form
    // of earlier versions (address, tab, name a line) is converted once; the
    // text is kept beside it (KeptTextForm). False, with error set, when the
    // record cannot be read or made.
    bool Load(QString& error);
    // The name an address was saved under; empty when it does not count as saved.
    QString SavedName(const QString& address) const;
    // Records the saved file (its full path) fetched from address, listed on page;
    // false when the record could not be written.
    bool Record(const QString& address, const QString& file, const QString& page = QString());
    // What Claim found.
    enum class Claimed {
        Taken,     // the address is this process's to fetch now
        Saved,     // the record counts it as saved, under savedName
        Elsewhere, // another process that still runs is fetching it
    };
    // Looks the address up and, when it is neither saved nor another running
    // process's, claims it for this one, all in one step no other process
    // comes between: of several processes sharing the record, one fetches it.
    // A record that cannot be written claims nothing and says Taken.
    Claimed Claim(const QString& address, QString& savedName);
    // Gives up this process's claim on address, once its file is saved or failed.
    void Release(const QString& address);
    // Gives up every claim of this process.
    void ReleaseAll();
    // Adds the records of another record file (or its earlier text form) that
    // this one lacks; an address both hold keeps this one's. False, with
    // error set, when either cannot be read or this one written; added counts
    // the records taken over.
    bool MergeFrom(const QString& other, int& added, QString& error);
    // Forgets every file recorded; false when the record could not be written.
    bool Forget();
    QString Path() const;
    // Where Load put the text form it converted; empty when it converted none.
    QString KeptTextForm() const;
    // The lines whose addresses do not count as saved.
    HarvestLines Unsaved(const HarvestLines& lines) const;
    // For each line, the name its address was saved under; empty where it does
    // not count as saved.
    QStringList SavedNames(const HarvestLines& lines) const;

private:
    QString SavedNameBy(QSqlQuery& lookUp, const QString& address) const;
    bool ConvertTextForm(QString& error);
    void CarryOver(QSqlQuery& insert, const QString& address, const QString& name) const;
    bool MergeTextForm(const QString& other, int& added, QString& error);

    QString path;
    Rule rule;
    QString folder; // a folder's own record: the folder
    QString keptTextForm;
};
