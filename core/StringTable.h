#pragma once

#include <QString>

// The program's string table. Entries of controls hold "prompt\ntip": the
// prompt goes to the status bar, the tip to the tool tip.
class StringTable {
public:
    // The whole entry, or an empty string for an id without one.
    static QString text(int id);
    static bool contains(int id);
    // The part before the line feed.
    static QString prompt(int id);
    // The part after the line feed; empty when the entry has none.
    static QString tip(int id);
    // A control's accessible name: what it is, in a word or two.
    static QString name(int id);
    // A control's accessible description: the longer of prompt and tip, or
    // empty when it would only repeat the name.
    static QString description(int id);
};
