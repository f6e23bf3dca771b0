#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

// Checks watches for the window in a quillmar-harvest process of their own
// ("--check-watches"), so the checks use the tool's one engine and record,
// and a check never holds the window. One run at a time; the run tells each
// watch's progress and outcome as the tool prints them.
class WatchCheckProcess : public QObject {
    Q_OBJECT
public:
    explicit WatchCheckProcess(QObject* parent = nullptr);
    ~WatchCheckProcess() override;

    // The tool beside this program, else on the search path; empty when none.
    static QString ToolPath();

    bool IsRunning() const;
    // Checks the watches of addresses now; empty: those due. False when a run
    // is going on or the tool cannot be started (Error says why).
    bool Start(const QStringList& addresses, const QStringList& due = QStringList());
    // Ends the run; what it saved stays saved, the rest is fetched next time.
    void Cancel();
    QString Error() const { return error; }
    // The watches of the run at hand.
    QStringList Addresses() const { return addresses; }

signals:
    // A watch's check goes on: saved files of it so far.
    void progress(const QString& address, int saved);
    // A watch's check ended: new pictures, or why it failed.
    void checked(const QString& address, int newCount, const QString& failure);
    // The run ended; cancelled: by Cancel.
    void finished(bool cancelled);

private:
    void ReadLines();
    void Take(const QString& line);
    void Ended();

    QProcess process;
    QStringList addresses;
    qsizetype next = 0; // the watch whose files the tool reports
    int saved = 0;
    QByteArray pending;
    QString error;
    bool cancelled = false;
};
