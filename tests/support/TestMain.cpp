#include "support/TestMain.h"

#include <QSet>

#include <cstdio>
#include <vector>

namespace testsupport {
namespace {

using TestClasses = std::vector<std::pair<const QMetaObject*, TestFactory>>;

TestClasses& testClasses() {
    static TestClasses classes;
    return classes;
}

ApplicationFactory applicationFactory = nullptr;

// Qt Test's options that take a value in the next argument.
const QSet<QString> optionsWithValue = {
    "-o",          "-maxwarnings",  "-eventdelay",   "-keydelay", "-mousedelay", "-seed",
    "-iterations", "-minimumvalue", "-minimumtotal", "-median",   "-perfcounter"};

// The functions of the class that the selections ("Class", "Class::function[:tag]"
// or "function[:tag]") name, and whether one names the whole class; the
// selections that matched go into `used`.
QStringList functionsFor(const QMetaObject& meta, const QStringList& selections, bool& whole,
                         QSet<QString>& used) {
    const QString name = QString::fromLatin1(meta.className());
    QStringList functions;
    whole = selections.isEmpty();
    for (const QString& selection : selections) {
        const QString function =
            selection.startsWith(name + "::") ? selection.mid(name.size() + 2) : selection;
        const bool wholeClass = selection == name;
        if (!wholeClass && meta.indexOfSlot(function.section(':', 0, 0).toUtf8() + "()") < 0)
            continue;
        whole = whole || wholeClass;
        if (!wholeClass)
            functions.append(function);
        used.insert(selection);
    }
    return functions;
}

} // namespace

bool registerTestClass(const QMetaObject& meta, TestFactory make) {
    testClasses().emplace_back(&meta, make);
    return true;
}

bool registerApplication(ApplicationFactory make) {
    Q_ASSERT(!applicationFactory);
    applicationFactory = make;
    return true;
}

} // namespace testsupport

// Runs every registered class, or only what the arguments name; fails when
// any class fails or an argument names nothing.
int main(int argc, char* argv[]) {
    using namespace testsupport;
    prepareTestEnvironment();
    const std::unique_ptr<QApplication> application =
        applicationFactory ? applicationFactory(argc, argv)
                           : std::make_unique<QApplication>(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QStringList options(arguments.first()); // the program and Qt Test's options with their values
    QStringList selections;
    for (int i = 1; i < arguments.size(); ++i) {
        const bool isOption = arguments[i].startsWith(QLatin1Char('-'));
        (isOption ? options : selections).append(arguments[i]);
        if (isOption && optionsWithValue.contains(arguments[i]) && i + 1 < arguments.size())
            options.append(arguments[++i]);
    }
    QSet<QString> used;
    int failures = 0;
    for (const auto& [meta, make] : testClasses()) {
        bool whole = false;
        const QStringList functions = functionsFor(*meta, selections, whole, used);
        if (whole || !functions.isEmpty())
            failures += QTest::qExec(make().get(), options + (whole ? QStringList() : functions));
    }
    for (const QString& selection : selections) {
        if (!used.contains(selection)) {
            std::fprintf(stderr, "No test class or function %s\n", qPrintable(selection));
            ++failures;
        }
    }
    return qMin(failures, 127);
}
