#pragma once

#include <QApplication>
#include <QTest>

#include <memory>
#include <vector>

// Each subsystem's test files build into one executable: every test class
// registers itself here, and the shared main (TestMain.cpp) runs them in turn
// inside one application, with private XDG folders and a headless engine.
namespace testsupport {

using TestFactory = std::unique_ptr<QObject> (*)();

// Filled while the program starts, before main.
inline std::vector<std::pair<const QMetaObject*, TestFactory>>& testClasses() {
    static std::vector<std::pair<const QMetaObject*, TestFactory>> classes;
    return classes;
}
// At most one per executable; without one the tests run in a plain QApplication.
inline std::unique_ptr<QApplication> (*applicationFactory)(int& argc, char** argv) = nullptr;

// The fixture folder tests/data, or a path inside it.
inline QString testDataPath(const QString& relative = QString()) {
    const QString root = QStringLiteral(QUILLMAR_TEST_DATA);
    return relative.isEmpty() ? root : root + QLatin1Char('/') + relative;
}

} // namespace testsupport

#define QUILLMAR_TEST_MAIN(TestClass)                                                              \
    [[maybe_unused]] static const bool quillmarTestRegistered##TestClass =                         \
        (testsupport::testClasses().emplace_back(                                                  \
             &TestClass::staticMetaObject,                                                         \
             [] { return std::unique_ptr<QObject>(new TestClass); }),                              \
         true);

// The same for tests that start the browser engine; the sanitizer builds leave these out.
#define QUILLMAR_ENGINE_TEST_MAIN(TestClass) QUILLMAR_TEST_MAIN(TestClass)

// For a test that needs the application to be of its own class.
#define QUILLMAR_APP_TEST_MAIN(TestClass, ApplicationClass)                                        \
    QUILLMAR_TEST_MAIN(TestClass)                                                                  \
    [[maybe_unused]] static const bool quillmarApplicationRegistered = (                           \
        testsupport::applicationFactory =                                                          \
            [](int& argc, char** argv) {                                                           \
                return std::unique_ptr<QApplication>(new ApplicationClass(argc, argv));            \
            },                                                                                     \
        true);
