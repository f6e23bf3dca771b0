#include "support/TestMain.h"

#include "controls/AccessibleFactory.h"
#include "engine/EngineEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

namespace {

// Qt Test's options that take a value in the next argument.
const QStringList optionsWithValue = {"-o",          "-maxwarnings", "-eventdelay", "-keydelay",
                                      "-mousedelay", "-seed",        "-repeat"};

// Points the engine's and the settings' storage (XDG folders) at a private
// temporary folder removed at exit, and prepares the engine for headless runs.
void prepareTestEnvironment() {
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quillmar-test-XXXXXX"));
    for (const char* name :
         {"XDG_RUNTIME_DIR", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
        const QString folder = home.filePath(QString::fromLatin1(name));
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, folder.toLocal8Bit());
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
    EngineEnvironment::prepareProcess();
}

} // namespace

// Runs every registered class, or only the classes ("Class") and functions
// ("Class::function[:tag]" or "function[:tag]") the arguments name; fails when
// any class fails or an argument names nothing.
int main(int argc, char* argv[]) {
    using namespace testsupport;
    prepareTestEnvironment();
    const std::unique_ptr<QApplication> application =
        applicationFactory ? applicationFactory(argc, argv)
                           : std::make_unique<QApplication>(argc, argv);
    AccessibleFactory::Install();
    const QStringList arguments = QCoreApplication::arguments();
    QStringList options(arguments.first()); // the program and Qt Test's options with their values
    QStringList selections;
    for (int i = 1; i < arguments.size(); ++i) {
        const bool isOption = arguments[i].startsWith(QLatin1Char('-'));
        (isOption ? options : selections).append(arguments[i]);
        if (isOption && optionsWithValue.contains(arguments[i]) && i + 1 < arguments.size())
            options.append(arguments[++i]);
    }
    QStringList unused = selections;
    int failures = 0;
    for (const auto& [meta, make] : testClasses()) {
        const QString name = QString::fromLatin1(meta->className());
        const bool whole = selections.isEmpty() || selections.contains(name);
        QStringList functions;
        for (const QString& selection : selections) {
            const QString function =
                selection.mid(selection.startsWith(name + "::") ? name.size() + 2 : 0);
            const bool isSlot = meta->indexOfSlot(function.section(':', 0, 0).toUtf8() + "()") >= 0;
            if (isSlot)
                functions.append(function);
            if (isSlot || selection == name)
                unused.removeAll(selection);
        }
        if (whole || !functions.isEmpty())
            failures += QTest::qExec(make().get(), options + (whole ? QStringList() : functions));
    }
    for (const QString& selection : unused)
        qWarning("No test class or function %s", qPrintable(selection));
    return qMin(failures + int(unused.size()), 127);
}
