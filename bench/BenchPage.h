#pragma once

#include <QString>

// The benchmarks' test page: count images and count links.
class BenchPage {
public:
    // Writes the page and its picture into folder and returns the page's path.
    static QString Write(const QString& folder, int count);

private:
    static void WritePicture(const QString& folder);
};
