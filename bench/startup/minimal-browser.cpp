// The least a Qt WebEngine program does to show a page: the yardstick for
// Quillmar's start-up.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWebEngineView view;
    view.resize(1024, 768);
    view.show();
    view.load(QUrl(QStringLiteral("qrc:/about.html")));
    return application.exec();
}
