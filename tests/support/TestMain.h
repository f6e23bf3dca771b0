#pragma once

#include "support/TestEnvironment.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, but with private XDG folders and a headless engine.
#define QUILLMAR_TEST_MAIN(TestClass)                                                              \
    int main(int argc, char* argv[]) {                                                             \
        testsupport::prepareTestEnvironment();                                                     \
        QApplication application(argc, argv);                                                      \
        TestClass testObject;                                                                      \
        return QTest::qExec(&testObject, argc, argv);                                              \
    }

// The same for tests that start the browser engine; CTest runs these one at a time.
#define QUILLMAR_ENGINE_TEST_MAIN(TestClass) QUILLMAR_TEST_MAIN(TestClass)
