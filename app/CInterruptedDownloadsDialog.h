#pragma once

#include <QDialog>
#include <QList>

class QListWidget;
class QPushButton;
struct QueuedJob;

// The question at start about the downloads an earlier run did not finish:
// one line per job naming how many files it has left, the sites they come
// from and the folder they go into. Of several jobs each can be left out; a
// job whose folder is not there cannot be chosen (the folder is never made).
// Yes resumes those chosen, No declines them all, and closing the dialog
// answers neither.
class CInterruptedDownloadsDialog : public QDialog {
    Q_OBJECT
public:
    // The result of No, told apart from the dialog closed unanswered (Rejected).
    static constexpr int Declined = 2;

    CInterruptedDownloadsDialog(const QList<QueuedJob>& jobs, QWidget* parent = nullptr);

    // Whether job i of those asked about is to be resumed.
    bool Chosen(int i) const;
    QListWidget* Lines() const;

    // "3 files from example.com into /home/me/Pictures".
    static QString Line(const QueuedJob& job);
    // A job resumes only into a folder that is there.
    static bool CanResume(const QueuedJob& job);

private:
    void UpdateYes();

    QListWidget* lines;
    QPushButton* yesButton;
    bool several;
};
