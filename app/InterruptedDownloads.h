#pragma once

#include <QString>

class CMainFrame;

// The downloads an earlier run of the program did not finish, because it was
// quit or died during them: offered at start, each job named, to be resumed
// in the active window into its folder where that is still there, fetching
// only the files not saved yet and continuing half-fetched ones. Those left
// out or declined are forgotten with their half-fetched files; a question
// closed unanswered, and a job whose folder is not there, wait for the next
// start.
class InterruptedDownloads {
public:
    // Asks about them, when there are any, and does as answered.
    static void Offer(CMainFrame& frame);
    static QString Question(int count);
};
