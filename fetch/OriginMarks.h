#pragma once

#include <QByteArray>
#include <QString>

struct DownloadEntry;
struct DownloadJob;

// Where a saved file came from, written onto it as browsers on Linux do: the
// extended attributes user.xdg.origin.url (the file's address) and
// user.xdg.referrer.url (the page it was found on or taken from), and on
// request an info file "NAME.EXT.json" beside it. A file system that takes
// no attributes, or a name too long for the info file, is passed over. No
// address written there carries a user name or password.
class OriginMarks {
public:
    // For the file name of the open folder, saved for entry of job.
    static void Write(int folder, const QString& name, const DownloadEntry& entry,
                      const DownloadJob& job);
    // The address a file is marked as saved from, as Write marks it; empty
    // for a file without the mark.
    static QByteArray OriginOf(int file);
    static QByteArray OriginOf(const DownloadEntry& entry);
    // The info file's text.
    static QByteArray Info(const DownloadEntry& entry, const DownloadJob& job, qint64 bytes);
    // address as it is written onto or beside a file: without its user name
    // and password, as browsers keep it (its query and fragment stay).
    static QString WithoutLogin(const QString& address);
};
