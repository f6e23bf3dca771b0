#pragma once

#include <QString>

// The version of Quillmar's programs, the project version of the build.
class ProgramVersion {
public:
    static QString Text();
};
