#include "watches/GuardedDatabaseFile.h"

#include "records/RecordConnection.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// SQLite's result codes for a damaged file and for no database at all; the
// driver reports extended codes, whose low byte is the primary one.
constexpr int CorruptCode = 11;
constexpr int NotADatabaseCode = 26;

const QStringList Companions = {QStringLiteral("-wal"), QStringLiteral("-shm")};

bool IsDamageCode(const QSqlError& error) {
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == CorruptCode || code == NotADatabaseCode;
}

} // namespace

QString GuardedDatabaseFile::Refusal(const QString& path) {
    for (const QString& suffix : QStringList{QString()} + Companions)
        if (QFileInfo(path + suffix).isSymLink())
            return path + suffix + QStringLiteral(" is a symbolic link: not opened through it");
    const QFileInfo file(path);
    if (file.exists() && !file.isFile())
        return path + QStringLiteral(" is not a plain file");
    return QString();
}

bool GuardedDatabaseFile::IsDamaged(const QString& path) {
    if (!QFileInfo(path).isFile())
        return false;
    const RecordConnection probe(path, QStringList());
    if (!probe.IsOpen())
        return false; // not readable now, which is no sign of damage
    QSqlQuery check(probe.Database());
    if (!check.exec(QStringLiteral("PRAGMA quick_check(1)")))
        return IsDamageCode(check.lastError());
    return !check.next() || check.value(0).toString() != QLatin1String("ok");
}

QString GuardedDatabaseFile::SetAside(const QString& path) {
    QString aside = path + QStringLiteral(".damaged");
    for (int number = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++number)
        aside = path + QStringLiteral(".damaged.%1").arg(number);
    if (!QFile::rename(path, aside))
        return QString();
    // A log left by the damaged file would be read into the new one.
    QFile::rename(path + Companions[0], aside + Companions[0]);
    QFile::remove(path + Companions[1]);
    return aside;
}
