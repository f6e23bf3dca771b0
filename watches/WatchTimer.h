#pragma once

#include <QString>
#include <QStringList>

// Switches the checks of watches while Quillmar is closed on and off: the
// systemd user timer quillmar-watches.timer, which runs
// "quillmar-harvest --check-watches", through "systemctl --user". Says why
// when that cannot be done: no systemctl, no user manager for the session,
// the units not installed. Each call waits for systemctl, a few seconds at most.
class WatchTimer {
public:
    static QString UnitName() { return QStringLiteral("quillmar-watches.timer"); }

    // systemctl from the search path, or the program given.
    explicit WatchTimer(const QString& systemctl = QString());

    struct State {
        bool enabled = false;
        QString problem; // why the timer cannot be switched; empty when it can
    };
    State Query() const;
    // "systemctl --user enable --now"; empty when done, else why not.
    QString Enable() const;
    // "systemctl --user disable --now"; empty when done, else why not.
    QString Disable() const;

private:
    struct Answer {
        bool ran = false; // the program ran and ended in time
        int status = -1;
        QString output;
        QString errors;
    };
    Answer Run(const QStringList& arguments) const;
    // "systemctl --user VERB --now", once the user manager is known to run.
    QString Switch(const QString& verb) const;
    QString UserManagerProblem() const;
    QString Failure(const QString& command, const Answer& answer) const;

    QString program;
};
