#include "watches/DesktopNotifier.h"

#include "watches/Watch.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString ApplicationId = QStringLiteral("org.quillmar.Quillmar");
// Bounds each wait for the service's answer.
constexpr int AnswerMilliseconds = 2000;

} // namespace

DesktopNotifier::DesktopNotifier() : DesktopNotifier(QDBusConnection::sessionBus()) {}

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus) : bus(bus) {}

void DesktopNotifier::TellNewPictures(const Watch& watch, int count) {
    if (count <= 0 || !bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(Service, Path, Service, "Notify");
    // The desktop entry names the program to the service, which shows its name and icon.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), ApplicationId},
                            {QStringLiteral("category"), QStringLiteral("transfer.complete")}};
    notify << QStringLiteral("Quillmar") << 0u << ApplicationId << Summary(watch, count)
           << Body(watch) << QStringList() << hints << -1;
    pending.removeIf([this](const QDBusPendingCall& call) {
        if (call.isFinished() && !call.isError())
            ++taken;
        return call.isFinished();
    });
    pending.append(bus.asyncCall(notify, AnswerMilliseconds));
}

int DesktopNotifier::Finish() {
    for (QDBusPendingCall& call : pending) {
        call.waitForFinished();
        if (!call.isError())
            ++taken;
    }
    pending.clear();
    return taken;
}

QString DesktopNotifier::Summary(const Watch& watch, int count) {
    // One line of plain text: a title's line breaks, control and format characters go.
    QString name = watch.title.isEmpty() ? watch.address : watch.title;
    for (QChar& character : name)
        if (!character.isPrint())
            character = QLatin1Char(' ');
    name = name.simplified();
    return (count == 1 ? QStringLiteral("1 new picture in %2")
                       : QStringLiteral("%1 new pictures in %2").arg(count))
        .arg(name);
}

// Services that show markup read the body as it; the page's title and
// address are text, never markup of theirs.
QString DesktopNotifier::Body(const Watch& watch) {
    return QStringLiteral("%1\nsaved into %2")
        .arg(watch.address.toHtmlEscaped(), watch.folder.toHtmlEscaped());
}
