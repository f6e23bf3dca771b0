#include "BenchPage.h"

#include <QByteArray>
#include <QFile>

// Every image shows one picture under one address, which keeps loading fast
// (an address of its own per shown image, even "a.gif#N", costs the engine
// milliseconds each), and names a full-size picture of its own the way lazy
// loaders do, so Deep Scan lists every image; every link has a name of its
// own, numbered backwards so the lists have to sort them.
QString BenchPage::Write(const QString& folder, int count) {
    QByteArray html = "<!DOCTYPE html><html><head><title>Bench</title></head><body>\n";
    html.reserve(count * 100);
    for (int i = 0; i < count; ++i)
        html += "<img src=\"a.gif\" data-src=\"pictures/i" + QByteArray::number(i) + ".jpg\">\n";
    for (int i = 0; i < count; ++i)
        html += "<a href=\"pictures/p" + QByteArray::number(count - i) + ".jpg\">p</a>\n";
    html += "</body></html>\n";
    const QString path = folder + QStringLiteral("/page-%1.html").arg(count);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(html);
    return path;
}
