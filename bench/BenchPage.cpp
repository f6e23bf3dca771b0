#include "BenchPage.h"

#include <QByteArray>
#include <QFile>

// A 1x1 GIF, the picture every image shows.
void BenchPage::WritePicture(const QString& folder) {
    static const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,"
                              "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02"
                              "D\x01\x00;";
    QFile file(folder + QStringLiteral("/a.gif"));
    if (file.open(QIODevice::WriteOnly))
        file.write(gif, sizeof gif - 1);
}

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
    WritePicture(folder);
    const QString path = folder + QStringLiteral("/page-%1.html").arg(count);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(html);
    return path;
}

QString BenchPage::BareScript() {
    return QStringLiteral(R"(
(function () {
    var result = [];
    var images = document.images, links = document.links;
    for (var i = 0; i < images.length; i++) result.push(images[i].src);
    for (var j = 0; j < links.length; j++) result.push(links[j].href);
    return result;
})()
)");
}
