#pragma once

class Prompts;

// Start-up refuses to run on a browser engine older than major version 5.
class VersionGate {
public:
    // True for a version of at least one character whose number before the
    // first "." is 5 or more; nullptr means the version could not be read.
    static bool Accepts(const char* version);
    // The version of the browser engine the program runs with.
    static const char* EngineVersion();
    // Accepts(version), telling the user through prompts when it does not.
    static bool Check(const char* version, Prompts& prompts);
};
