#pragma once

#include <QKeySequence>
#include <QList>

#include <initializer_list>
#include <utility>
#include <vector>

// What the menus and keys make of a command.
struct CommandEntry {
    enum class Style { Plain, Checkable };

    // text: the menu entry, its key named after a tab; nullptr for a command
    // reached only by its keys or its button.
    CommandEntry(int id, const char* text = nullptr, QList<QKeySequence> keys = {},
                 Style style = Style::Plain)
        : id(id), text(text), keys(std::move(keys)), style(style) {}

    int id;
    const char* text;
    QList<QKeySequence> keys;
    Style style;
};

// The commands of one command owner, each declared once: its entry and the
// owner's handler that runs it. The frame builds its menus and keys from the
// entries of every owner's table.
template <typename Owner> class CommandTable {
public:
    using Handler = void (Owner::*)();
    struct Command {
        CommandEntry entry;
        Handler handler;
    };

    CommandTable(std::initializer_list<Command> commands) : commands(commands) {}

    bool Handles(int id) const { return Find(id) != nullptr; }

    void Run(Owner& owner, int id) const {
        if (const Command* command = Find(id))
            (owner.*command->handler)();
    }

    QList<CommandEntry> Entries() const {
        QList<CommandEntry> entries;
        for (const Command& command : commands)
            entries.append(command.entry);
        return entries;
    }

private:
    const Command* Find(int id) const {
        for (const Command& command : commands) {
            if (command.entry.id == id)
                return &command;
        }
        return nullptr;
    }

    std::vector<Command> commands;
};
