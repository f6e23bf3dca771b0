#include "app/CQuillmarApp.h"
#include "view/CQuillmarView.h"
#include "view/EngineEnvironment.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (!EngineEnvironment::hasDisplay()) {
        std::fprintf(stderr, "quillmar: no display found; to run without one, use a virtual "
                             "display: xvfb-run -a ./run\n");
        return 1;
    }
    EngineEnvironment::prepareProcess();
    CQuillmarApp application(argc, argv);
    application.SetViewFactory([](CQuillmarDoc* document) { return new CQuillmarView(document); });
    if (!application.InitInstance())
        return 1;
    return application.exec();
}
