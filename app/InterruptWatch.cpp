#include "app/InterruptWatch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t signalPipe = -1;

// Only async-signal-safe calls here.
void noteSignal(int number) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // A full pipe already holds a signal to act on: a failed write loses nothing.
    [[maybe_unused]] const ssize_t written = write(signalPipe, &byte, 1);
    errno = savedErrno;
}

void handleSignals(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : WatchedSignals)
        sigaction(number, &action, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch(QObject* parent) : QObject(parent) {
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalPipe = pipeEnds[1];
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &InterruptWatch::readSignal);
    handleSignals(&noteSignal);
}

InterruptWatch::~InterruptWatch() {
    if (!notifier)
        return;
    handleSignals(SIG_DFL);
    signalPipe = -1;
    close(pipeEnds[0]);
    close(pipeEnds[1]);
}

int InterruptWatch::ExitCode() const {
    return exitCode;
}

void InterruptWatch::readSignal() {
    char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1) {
        if (exitCode != 0)
            continue;
        exitCode = 128 + byte;
        emit interrupted();
    }
}
