#include "support/TestEnvironment.h"

#include "view/EngineEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

namespace testsupport {

void prepareTestEnvironment() {
    static std::unique_ptr<QTemporaryDir> home;
    home =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/quillmar-test-XXXXXX"));
    const QString root = home->path();
    for (const char* name : {"runtime", "data", "cache", "config"})
        QDir(root).mkpath(QString::fromLatin1(name));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toLocal8Bit());
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
    EngineEnvironment::prepareProcess();
}

QString testDataPath(const QString& relative) {
    const QString root = QStringLiteral(QUILLMAR_TEST_DATA);
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

} // namespace testsupport
