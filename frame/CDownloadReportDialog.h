#pragma once

#include <QDialog>

class DownloadReport;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// The Download Report window: every file of this run's downloads, newest job
// first under a line that names the job's folder and its counts, each file by
// its own name, then the subfolder a name template put it in, its size and
// outcome (a failed one marked), kept up to date while workers report, with
// the bytes, speed and time left of each job that runs and of all of them.
// It opens on the newest job. Pause and Cancel steer the selected job alone, Pause All every
// running one. Retry Failed queues the selected job's files still failed
// again; the job buttons are off while they have nothing to do, Retry Failed
// also while its retry runs.
class CDownloadReportDialog : public QDialog {
    Q_OBJECT
public:
    CDownloadReportDialog(QWidget& owner, DownloadReport& report);

    // Shows the owner's window on report, opening it when it is not open yet;
    // opened or shown again, it shows and selects the newest job.
    static CDownloadReportDialog* ShowFor(QWidget& owner, DownloadReport& report);

    void OnPause();
    void OnCancelJob();
    void OnPauseAll();
    void OnRetryFailed();
    void OnOpenFolder();
    void OnClear();

    QTreeWidget* Files() const;

private:
    void ShowNewest();
    void FillJobs();
    void FitColumnsToHeader();
    void WidenColumnsFor(const QTreeWidgetItem& item);
    void MarkFailed(QTreeWidgetItem& item, bool failed) const;
    void ShowFile(int job, int index);
    void ShowSummary(int job);
    void ShowProgress();
    void UpdateButtons();
    // The job of the selected line, or the newest job; 0 when there is none.
    int SelectedJob() const;
    QTreeWidgetItem* JobItem(int job) const;

    DownloadReport& report;
    QTreeWidget* files;
    QLabel* totals; // of every job that runs
    QPushButton* pauseButton;
    QPushButton* cancelButton;
    QPushButton* pauseAllButton;
    QPushButton* retryButton;
    QPushButton* openFolderButton;
};
