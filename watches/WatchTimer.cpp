#include "watches/WatchTimer.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int AnswerMilliseconds = 5000;

QString FirstLine(const QString& text) {
    return text.trimmed().section(QLatin1Char('\n'), 0, 0);
}

} // namespace

WatchTimer::WatchTimer(const QString& systemctl)
    : program(systemctl.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("systemctl"))
                                  : systemctl) {}

WatchTimer::Answer WatchTimer::Run(const QStringList& arguments) const {
    Answer answer;
    QProcess process;
    // Its messages in English, so they can be told apart.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    process.start(program, QStringList{QStringLiteral("--user")} + arguments);
    if (!process.waitForFinished(AnswerMilliseconds)) {
        process.kill();
        process.waitForFinished();
        return answer;
    }
    answer.ran = process.exitStatus() == QProcess::NormalExit;
    answer.status = process.exitCode();
    answer.output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    answer.errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return answer;
}

// systemctl --user reads unit files without a manager, and would enable a
// timer that then never runs.
QString WatchTimer::UserManagerProblem() const {
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        return QStringLiteral("systemctl was not found: checks while Quillmar is closed need "
                              "systemd");
    const Answer answer = Run({QStringLiteral("is-system-running")});
    if (!answer.ran)
        return QStringLiteral("systemctl --user did not answer");
    if (answer.output.isEmpty() || answer.output == QLatin1String("offline"))
        return QStringLiteral("no systemd user manager runs for this session");
    return QString();
}

QString WatchTimer::Failure(const QString& command, const Answer& answer) const {
    const QString reason = FirstLine(answer.errors.isEmpty() ? answer.output : answer.errors);
    if (reason.contains(QLatin1String("No such file")) ||
        reason.contains(QLatin1String("does not exist")) ||
        reason.contains(QLatin1String("not found")))
        return UnitName() + QStringLiteral(" is not installed");
    return QStringLiteral("systemctl --user %1 %2 failed: %3")
        .arg(command, UnitName(), answer.ran ? reason : QStringLiteral("no answer"));
}

WatchTimer::State WatchTimer::Query() const {
    State state;
    state.problem = UserManagerProblem();
    if (!state.problem.isEmpty())
        return state;
    const Answer answer = Run({QStringLiteral("is-enabled"), UnitName()});
    // It prints the unit's state ("enabled", "enabled-runtime", "disabled",
    // "masked", ...), and ends with 1 for one that is not enabled.
    state.enabled = answer.ran && answer.status == 0 && answer.output.startsWith("enabled");
    if (state.enabled || answer.output == QLatin1String("disabled"))
        return state;
    state.problem = answer.output.isEmpty() || answer.output.contains(QLatin1Char(' '))
                        ? Failure(QStringLiteral("is-enabled"), answer)
                        : UnitName() + QStringLiteral(" is ") + answer.output;
    return state;
}

QString WatchTimer::Enable() const {
    return Switch(QStringLiteral("enable"));
}

QString WatchTimer::Disable() const {
    return Switch(QStringLiteral("disable"));
}

QString WatchTimer::Switch(const QString& verb) const {
    const QString problem = UserManagerProblem();
    if (!problem.isEmpty())
        return problem;
    const Answer answer = Run({verb, QStringLiteral("--now"), UnitName()});
    return answer.ran && answer.status == 0 ? QString()
                                            : Failure(verb + QStringLiteral(" --now"), answer);
}
