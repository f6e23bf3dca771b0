#pragma once

// Process-wide settings the browser engine needs before the QApplication
// exists. Call prepareProcess() first thing in every program that shows pages.
class EngineEnvironment {
public:
    static void prepareProcess();
    // True when a display server is reachable or a platform was chosen explicitly.
    static bool hasDisplay();
};
