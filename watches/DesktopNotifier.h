#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QList>
#include <QString>

struct Watch;

// Tells the person, through the desktop's notification service
// (org.freedesktop.Notifications on the session bus), how many new pictures
// a check of a watch brought. Without a session bus or without the service,
// nothing is told and nothing waits: a check never depends on it.
class DesktopNotifier {
public:
    // On the session bus.
    DesktopNotifier();
    explicit DesktopNotifier(const QDBusConnection& bus);

    // Tells of count new pictures of watch; nothing when count is 0. Returns
    // at once: the service answers later.
    void TellNewPictures(const Watch& watch, int count);
    // Waits for the service's answers to what was told, each at most a
    // couple of seconds (a program about to end calls it, so nothing told is
    // lost); returns how many notifications the service took.
    int Finish();

    // The notification's summary and body (the body in the service's markup).
    static QString Summary(const Watch& watch, int count);
    static QString Body(const Watch& watch);

private:
    QDBusConnection bus;
    QList<QDBusPendingCall> pending;
    int taken = 0;
};
