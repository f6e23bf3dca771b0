#include "support/TestMain.h"

#include <QFileInfo>
#include <QSet>

#include <cstdio>
#include <vector>

namespace testsupport {
namespace {

struct TestClass {
    const QMetaObject* meta;
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

// Every class writes its own log: "-o log.xml,junitxml" becomes log-Class.xml.
QString logFor(const QString& option, const QString& className) {
    const QString file = option.section(QLatin1Char(','), 0, 0);
    if (file == QStringLiteral("-"))
        return option;
    const QString suffix = QFileInfo(file).suffix();
    const QString stem = suffix.isEmpty() ? file : file.chopped(suffix.size() + 1);
    return QString(option).replace(0, file.size(),
                                   stem + "-" + className + (suffix.isEmpty() ? "" : "." + suffix));
}

struct CommandLine {
    QStringList options;    // Qt Test's, with their values
    QStringList selections; // "Class", "Class::function[:tag]" or "function[:tag]"
};

CommandLine splitCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (int i = 1; i < arguments.size(); ++i) {
        const bool isOption = arguments[i].startsWith(QLatin1Char('-'));
        (isOption ? line.options : line.selections).append(arguments[i]);
        if (isOption && optionsWithValue.contains(arguments[i]) && i + 1 < arguments.size())
            line.options.append(arguments[++i]);
    }
    return line;
}

// The functions of the class that the selections name, and whether one names
// the whole class; the selections that matched go into `used`.
QStringList functionsFor(const QMetaObject& meta, const QString& className,
                         const QStringList& selections, bool& whole, QSet<QString>& used) {
    QStringList functions;
    whole = selections.isEmpty();
    for (const QString& selection : selections) {
        const QString function = selection.startsWith(className + "::")
                                     ? selection.mid(className.size() + 2)
                                     : selection;
        const QByteArray signature = function.section(QLatin1Char(':'), 0, 0).toUtf8() + "()";
        if (selection == className)
            whole = true;
        else if (meta.indexOfSlot(signature) >= 0)
            functions.append(function);
        else
            continue;
        used.insert(selection);
    }
    return functions;
}

} // namespace

bool registerTestClass(const QMetaObject& meta, TestFactory make) {
    testClasses().push_back({&meta, make});
    return true;
}

bool registerApplication(ApplicationFactory make) {
    Q_ASSERT(!applicationFactory());
    applicationFactory() = make;
    return true;
}

} // namespace testsupport

// Runs every registered class, or only what the arguments name; fails when
// any class fails or an argument names nothing.
int main(int argc, char* argv[]) {
    using namespace testsupport;
    prepareTestEnvironment();
    const std::unique_ptr<QApplication> application =
        applicationFactory() ? applicationFactory()(argc, argv)
                             : std::make_unique<QApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const CommandLine line = splitCommandLine(arguments);
    QSet<QString> used;
    int failures = 0;
    for (const TestClass& entry : testClasses()) {
        const QString name = QString::fromLatin1(entry.meta->className());
        bool whole = false;
        const QStringList functions = functionsFor(*entry.meta, name, line.selections, whole, used);
        if (!whole && functions.isEmpty())
            continue;
        QStringList testArguments = QStringList(arguments.first()) + line.options;
        for (int i = 1; i < testArguments.size(); ++i) {
            if (testArguments[i - 1] == QStringLiteral("-o"))
                testArguments[i] = logFor(testArguments[i], name);
        }
        const std::unique_ptr<QObject> test = entry.make();
        failures += QTest::qExec(test.get(), testArguments + (whole ? QStringList() : functions));
    }
    for (const QString& selection : line.selections) {
        if (!used.contains(selection)) {
            std::fprintf(stderr, "No test class or function %s\n", qPrintable(selection));
            ++failures;
        }
    }
    return qMin(failures, 127);
}
