#include "support/TestMain.h"

#include <QFileInfo>
#include <QMetaMethod>
#include <QSet>

#include <cstdio>
#include <vector>

namespace testsupport {
namespace {

struct TestClass {
    QString name;
    TestFactory make;
};

std::vector<TestClass>& testClasses() {
    static std::vector<TestClass> classes;
    return classes;
}

ApplicationFactory& applicationFactory() {
    static ApplicationFactory factory = nullptr;
    return factory;
}

// Qt Test's options that take a value in the next argument.
const QSet<QString> optionsWithValue = {
    "-o",          "-maxwarnings",  "-eventdelay",   "-keydelay", "-mousedelay", "-seed",
    "-iterations", "-minimumvalue", "-minimumtotal", "-median",   "-perfcounter"};

// The command line split into Qt Test's options and the test functions asked
// for, each as "Class::function[:tag]", "Class" or "function[:tag]".
struct CommandLine {
    QStringList options;
    QStringList selections;
};

CommandLine splitCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1Char('-'))) {
            line.selections.append(argument);
            continue;
        }
        line.options.append(argument);
        if (optionsWithValue.contains(argument) && i + 1 < arguments.size())
            line.options.append(arguments[++i]);
    }
    return line;
}

bool hasTestFunction(const QObject& test, const QString& function) {
    const QMetaObject* meta = test.metaObject();
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        if (QString::fromLatin1(meta->method(i).name()) == function)
            return true;
    }
    return false;
}

// The functions of `test` that `selections` ask for; `all` when none is meant for it.
QStringList functionsFor(const QObject& test, const QString& className,
                         const QStringList& selections, QSet<QString>& matched, bool& all) {
    QStringList functions;
    all = selections.isEmpty();
    for (const QString& selection : selections) {
        const qsizetype separator = selection.indexOf(QStringLiteral("::"));
        if (separator >= 0 ? selection.left(separator) != className : selection != className) {
            if (separator < 0 && hasTestFunction(test, selection.section(QLatin1Char(':'), 0, 0))) {
                functions.append(selection);
                matched.insert(selection);
            }
            continue;
        }
        matched.insert(selection);
        const QString function = separator >= 0 ? selection.mid(separator + 2) : QString();
        if (function.isEmpty())
            all = true;
        else
            functions.append(function);
    }
    return functions;
}

// Every class writes its own log file: "-o log.xml" becomes log-Class.xml.
QStringList optionsFor(QStringList options, const QString& className) {
    for (int i = 0; i + 1 < options.size(); ++i) {
        if (options[i] != QStringLiteral("-o"))
            continue;
        QString& target = options[++i];
        const QString file = target.section(QLatin1Char(','), 0, 0);
        if (file == QStringLiteral("-"))
            continue;
        const QFileInfo info(file);
        const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
        target.replace(0, file.size(),
                       file.left(file.size() - suffix.size()) + "-" + className + suffix);
    }
    return options;
}

} // namespace

bool registerTestClass(const char* name, TestFactory make) {
    testClasses().push_back({QString::fromLatin1(name), make});
    return true;
}

bool registerApplication(ApplicationFactory make) {
    Q_ASSERT(!applicationFactory());
    applicationFactory() = make;
    return true;
}

} // namespace testsupport

// Runs every registered test class, or those the command line names; fails
// when any of them fails.
int main(int argc, char* argv[]) {
    using namespace testsupport;
    prepareTestEnvironment();
    const std::unique_ptr<QApplication> application =
        applicationFactory() ? applicationFactory()(argc, argv)
                             : std::make_unique<QApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const CommandLine line = splitCommandLine(arguments);
    QSet<QString> matched;
    int failures = 0;
    for (const TestClass& entry : testClasses()) {
        const std::unique_ptr<QObject> test = entry.make();
        bool all = false;
        const QStringList functions =
            functionsFor(*test, entry.name, line.selections, matched, all);
        if (!all && functions.isEmpty())
            continue;
        const QStringList testArguments = QStringList(arguments.first()) +
                                          optionsFor(line.options, entry.name) +
                                          (all ? QStringList() : functions);
        failures += QTest::qExec(test.get(), testArguments);
    }
    for (const QString& selection : line.selections) {
        if (!matched.contains(selection)) {
            std::fprintf(stderr, "No test class or function %s\n", qPrintable(selection));
            ++failures;
        }
    }
    return qMin(failures, 127);
}
