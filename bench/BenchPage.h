#pragma once

#include <QString>

// The benchmarks' test page: count images and count links.
class BenchPage {
public:
    // Writes the page into folder and returns its path.
    static QString Write(const QString& folder, int count);
};
