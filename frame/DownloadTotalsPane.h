#pragma once

#include <QObject>

class DownloadReport;
class QLabel;
class QStatusBar;

// The status bar's field beside the lock-key panes: the files, bytes, speed
// and time left of the running downloads together, each job's line in its
// tool tip. Shown only while downloads run; the message line keeps its words.
class DownloadTotalsPane : public QObject {
    Q_OBJECT
public:
    DownloadTotalsPane(QStatusBar& statusBar, DownloadReport& report);

private:
    void Show();

    DownloadReport& report;
    QLabel* label;
};
