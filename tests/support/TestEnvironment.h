#pragma once

#include <QString>

namespace testsupport {

// Points the engine's and the settings' storage (XDG folders) at a private
// temporary folder removed at exit, and prepares the engine for headless runs.
// Call before the QApplication exists.
void prepareTestEnvironment();

// The fixture folder tests/data.
QString testDataPath(const QString& relative = QString());

} // namespace testsupport
