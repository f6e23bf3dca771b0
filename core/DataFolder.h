#pragma once

#include <QString>

// The folder of the user's Quillmar data (bookmarks, the engine's profile):
// "Quillmar" in the XDG data home, ~/.local/share/Quillmar. It is made only
// by whoever first writes into it.
class DataFolder {
public:
    static QString Path();
};
