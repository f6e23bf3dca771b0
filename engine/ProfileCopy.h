#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class QObject;
class QWebEngineProfile;

// A private copy of the logins and site data a browser profile keeps on disk
// (the cookie database, local storage, IndexedDB), for a run that must leave
// the window's profile alone while the window may be using it. The original is
// only read, never opened as a database nor locked: the window's engine does
// not wait for other readers, so a reader's lock could make one of its writes
// fail. The files are read again until none changed while they were read; such
// a copy is what a crash at that moment would have left, from which the
// engine's databases recover as they always do.
class ProfileCopy {
public:
    // Copies the parts profileFolder keeps into a new folder only the user
    // may enter; nullptr with error set when that is impossible.
    static std::unique_ptr<ProfileCopy> Make(const QString& profileFolder, QString& error,
                                             const QStringList& parts = Parts());
    // Removes the copy. The engine may still write into it until it has shut
    // down with the application: destroy the copy after the application.
    ~ProfileCopy() = default;
    ProfileCopy(const ProfileCopy&) = delete;
    ProfileCopy& operator=(const ProfileCopy&) = delete;

    QString Path() const;
    // A profile keeping its data in the copy, owned by owner; it must go before the copy.
    QWebEngineProfile* NewProfile(QObject* owner) const;

    // The files and folders of a profile that are copied: the cookie
    // database with its journals, and the site data besides.
    static const QStringList& Parts();
    static const QStringList& CookieParts();

private:
    ProfileCopy();

    QTemporaryDir folder;
};
