#include "BenchPage.h"

#include <QByteArray>
#include <QFile>

// One shown picture under one address keeps loading fast (with a fragment per
// image, "a.gif#N", the engine gives up on the 100,000 page); every link has a
// name of its own, numbered backwards so the lists have to sort them.
QString BenchPage::Write(const QString& folder, int count) {
    QByteArray html = "<!DOCTYPE html><html><head><title>Bench</title></head><body>\n";
    html.reserve(count * 60);
    for (int i = 0; i < count; ++i)
        html += "<img src=\"a.gif\">\n";
    for (int i = 0; i < count; ++i)
        html += "<a href=\"pictures/p" + QByteArray::number(count - i) + ".jpg\">p</a>\n";
    html += "</body></html>\n";
    const QString path = folder + QStringLiteral("/page-%1.html").arg(count);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(html);
    return path;
}
