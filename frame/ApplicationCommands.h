#pragma once

#include "core/CommandTable.h"
#include "core/CommandTarget.h"

#include <functional>

// The application's commands, at the end of the frame's route: New, Print
// Setup and About. The application gives what runs them; a frame without one
// leaves them unhandled, and so disabled.
class ApplicationCommands : public CommandTarget {
public:
    struct Handlers {
        std::function<void()> openNewWindow;
        std::function<void()> setUpPrinter;
        std::function<void()> showAbout;
    };

    static const CommandTable<ApplicationCommands>& Commands();

    void SetHandlers(Handlers given);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

private:
    void OnFileNew();
    void OnPrintSetup();
    void OnAbout();

    Handlers handlers;
    bool handled = false;
};
