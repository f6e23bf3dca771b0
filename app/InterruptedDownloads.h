#pragma once

#include <QString>

class CMainFrame;

// The downloads an earlier run of the program did not finish, because it was
// quit or died during them: offered at start to be resumed in the active
// window, where only the files not saved yet are fetched and half-fetched ones
// continue; declined, they are forgotten with their half-fetched files.
class InterruptedDownloads {
public:
    // Asks about them, when there are any, and does as answered.
    static void Offer(CMainFrame& frame);
    static QString Question(int count);
};
