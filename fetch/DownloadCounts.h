#pragma once

#include <QString>

// What became of the files of one download, told the same way by the window's
// message line, the Download Report and quillmar-harvest: saved, already saved
// (the file is in the folder: by the folder's record, or the same bytes were
// found there), skipped (an --archive record says it was saved before),
// left out (the run's filters did not want it) and failed; files a cancel
// stopped are told apart from those that failed.
struct DownloadCounts {
    enum class Kind { Saved, AlreadySaved, Skipped, Failed, Cancelled, LeftOut };

    int saved = 0;
    int alreadySaved = 0;
    int skipped = 0;
    int failed = 0;
    int cancelled = 0;
    int leftOut = 0;

    void Add(Kind kind);
    // How a worker's report of one fetched file counts: the reason of a saved
    // file says whether the folder already held its bytes.
    static Kind KindOf(bool saved, const QString& reason);
    // The reason a worker gives for a file whose bytes the folder already held.
    static QString AlreadySavedReason() { return QStringLiteral("already saved"); }
    // The reason a worker gives for a file the filters leave out because of why.
    static QString LeftOutReason(const QString& why) { return LeftOutMark() + why; }
    static QString LeftOutMark() { return QStringLiteral("left out: "); }

    // "S saved, A already saved, K skipped, F failed", and ", C cancelled" when
    // a cancel stopped any, ", L left out" when the filters left any out.
    QString Text() const;
    // "Download complete" when every file was saved, else with the counts.
    QString CompletionMessage() const;
    // Whether a worker's message is its closing CompletionMessage, not a word
    // on the way (a host asking it to slow down).
    static bool IsCompletionMessage(const QString& text);
};
