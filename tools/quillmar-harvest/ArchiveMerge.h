#pragma once

#include <QStringList>

#include <optional>

// quillmar-harvest --merge-archive OUT IN...: gathers the records of runs on
// several machines (each with its own --archive) into one, so a later run
// anywhere skips what any of them saved.
class ArchiveMerge {
public:
    // files: OUT, then each IN. Adds to OUT, made when missing, the records of
    // each IN it lacks, one line a file on standard output; the exit code: 0,
    // or 1 when a record could not be read or written. Nothing, after a
    // one-line reason, when the arguments are not OUT and at least one IN.
    static std::optional<int> Run(const QStringList& files);
};
