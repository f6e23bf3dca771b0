#pragma once

#include <QString>

// The benchmarks' test page: count images and count links.
class BenchPage {
public:
    // Writes the page and its picture into folder and returns the page's path.
    static QString Write(const QString& folder, int count);
    // A script that only returns the addresses of the page's images and links.
    static QString BareScript();

private:
    static void WritePicture(const QString& folder);
};
