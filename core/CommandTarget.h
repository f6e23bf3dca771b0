#pragma once

// Something on the command route (view, document, frame, application) that
// may handle command ids.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // True when this target has a handler for the command.
    virtual bool HandlesCommand(int id) const = 0;
    // Runs the handler; only called when HandlesCommand(id) is true.
    virtual void OnCommand(int id) = 0;
    // Whether a handled command is enabled right now (for instance the download
    // buttons while a page loads); asked only when HandlesCommand(id) is true.
    virtual bool IsCommandEnabled(int id) const {
        static_cast<void>(id);
        return true;
    }
};
