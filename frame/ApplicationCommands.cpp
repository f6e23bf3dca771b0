#include "frame/ApplicationCommands.h"

#include "core/CommandIds.h"

const CommandTable<ApplicationCommands>& ApplicationCommands::Commands() {
    static const CommandTable<ApplicationCommands> table = {
        {{ID_FILE_NEW, "&New\tCtrl+N", {Qt::CTRL | Qt::Key_N}}, &ApplicationCommands::OnFileNew},
        {{ID_FILE_PRINT_SETUP, "P&rint Setup..."}, &ApplicationCommands::OnPrintSetup},
        {{ID_APP_ABOUT, "&About Quillmar..."}, &ApplicationCommands::OnAbout},
    };
    return table;
}

void ApplicationCommands::SetHandlers(Handlers given) {
    handlers = std::move(given);
    handled = true;
}

bool ApplicationCommands::HandlesCommand(int id) const {
    return handled && Commands().Handles(id);
}

void ApplicationCommands::OnCommand(int id) {
    Commands().Run(*this, id);
}

void ApplicationCommands::OnFileNew() {
    handlers.openNewWindow();
}

void ApplicationCommands::OnPrintSetup() {
    handlers.setUpPrinter();
}

void ApplicationCommands::OnAbout() {
    handlers.showAbout();
}
