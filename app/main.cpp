#include "view/EngineEnvironment.h"

#include <QApplication>
#include <QLabel>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (!EngineEnvironment::hasDisplay()) {
        std::fprintf(stderr, "quillmar: no display found; to run without one, use a virtual "
                             "display: xvfb-run -a ./run\n");
        return 1;
    }
    EngineEnvironment::prepareProcess();
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Quillmar"));
    window.show();
    return application.exec();
}
