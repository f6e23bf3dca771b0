// Draws the button pictures from their SVG sources as the program is built:
// reading the SVG files made every window spend about 2 ms on parsing before
// it could show. Each picture is drawn at its own size over black, as the
// buttons show it, and written as a PNG file of the same name.
// Usage: render-bitmaps OUTPUT-FOLDER SVG-FILE...

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool Render(const QString& source, const QDir& output) {
    QSvgRenderer renderer(source);
    if (!renderer.isValid())
        return false;
    QImage image(renderer.defaultSize(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image.save(output.filePath(QFileInfo(source).completeBaseName() + ".png"), "png");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: render-bitmaps OUTPUT-FOLDER SVG-FILE...\n");
        return 2;
    }
    const QDir output(arguments.at(1));
    if (!output.mkpath(QStringLiteral(".")))
        return 1;
    for (const QString& source : arguments.mid(2)) {
        if (!Render(source, output)) {
            std::fprintf(stderr, "render-bitmaps: cannot draw %s\n", qPrintable(source));
            return 1;
        }
    }
    return 0;
}
