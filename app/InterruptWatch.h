#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread, so the
// window and the tool end their transfers and write what they keep instead of
// dying mid-file. The handler only writes the signal's number into a pipe the
// event loop watches.
class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject* parent = nullptr);
    // Gives the signals back their default handling.
    ~InterruptWatch() override;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // The shell's exit status for the first signal seen (128 + its number); 0 before.
    int ExitCode() const;

signals:
    void interrupted();

private:
    void readSignal();

    int pipeEnds[2] = {-1, -1};
    QSocketNotifier* notifier = nullptr;
    int exitCode = 0;
};
