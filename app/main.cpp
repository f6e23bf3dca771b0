#include "app/CQuillmarApp.h"
#include "app/CommandLine.h"
#include "engine/BrowserProfile.h"
#include "engine/EngineEnvironment.h"
#include "frame/CQuillmarDoc.h"
#include "view/CQuillmarView.h"

#include <cstdio>

namespace {

QStringList ArgumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// Qt's -platform option names a display of its own, such as offscreen.
bool PlatformChosen(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

} // namespace

int main(int argc, char* argv[]) {
    // Help and the version need no display, so they are answered before the browser starts.
    const QStringList arguments = ArgumentsOf(argc, argv);
    const CommandLine early = CommandLine::Parse(arguments);
    if (early.action == CommandLine::Action::Help || early.action == CommandLine::Action::Version)
        return early.Answer();
    if (!PlatformChosen(arguments) && !EngineEnvironment::hasDisplay()) {
        std::fprintf(stderr, "quillmar: no display found; to run without one, use a virtual "
                             "display: xvfb-run -a ./run\n");
        return 1;
    }
    EngineEnvironment::prepareProcess();
    CQuillmarApp application(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out of the arguments by now.
    const CommandLine commandLine = CommandLine::Parse(QCoreApplication::arguments());
    if (commandLine.action != CommandLine::Action::Run)
        return commandLine.Answer();
    BrowserProfile::UsePersistent(&application);
    application.SetViewFactory(
        [](CQuillmarDoc* document) { return new CQuillmarView(document->TakeStartAddress()); });
    if (!application.InitInstance(commandLine.addresses))
        return 1;
    return application.exec();
}
