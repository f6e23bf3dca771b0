#include "WatchTestFiles.h"
#include "support/TestMain.h"
#include "watches/DesktopNotifier.h"
#include "watches/Watch.h"
#include "watches/WatchTimer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace watchtest;

namespace {

// A notification service that keeps what it is told.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<QStringList> Told() {
        const QMutexLocker locker(&mutex);
        return told;
    }
public slots:
    uint Notify(const QString& application, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        const QMutexLocker locker(&mutex);
        told << QStringList{application, icon, summary, body,
                            hints.value("desktop-entry").toString()};
        return uint(told.size());
    }

private:
    QMutex mutex;
    QList<QStringList> told;
};

} // namespace

// What a check tells the desktop, and the switch of the checks while Quillmar is closed.
class WatchDesktopTest : public QObject {
    Q_OBJECT
private slots:
    // On a private bus: nothing is told without the service or without new
    // pictures; the service gets the count, the watch and the program's name.
    void notifiesThroughTheService() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            QSKIP("dbus-daemon is not installed");
        QTemporaryDir folder;
        QVERIFY(WriteBytes(folder.filePath("bus.conf"),
                           BytesOf(testsupport::testDataPath("watches/bus.conf"))
                               .replace("@FOLDER@", QFile::encodeName(folder.path()))));
        QProcess bus;
        EndWithThisProcess(bus);
        bus.start(daemon, {"--config-file=" + folder.filePath("bus.conf"), "--print-address",
                           "--nofork", "--nopidfile"});
        QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QThread serviceThread;
        FakeNotifications service;
        {
            QDBusConnection sending = QDBusConnection::connectToBus(address, "sending");
            QDBusConnection serving = QDBusConnection::connectToBus(address, "serving");
            QVERIFY(sending.isConnected() && serving.isConnected());
            Watch watch;
            watch.address = "http://h/gallery.html?a=1&b=<2>";
            watch.title = "Paintings\nof\x1b spring";
            watch.folder = "/tmp/pictures";

            DesktopNotifier unserved(sending);
            unserved.TellNewPictures(watch, 2);
            QCOMPARE(unserved.Finish(), 0);

            service.moveToThread(&serviceThread);
            serviceThread.start();
            QVERIFY(serving.registerObject("/org/freedesktop/Notifications", &service,
                                           QDBusConnection::ExportAllSlots));
            QVERIFY(serving.registerService("org.freedesktop.Notifications"));
            DesktopNotifier notifier(sending);
            notifier.TellNewPictures(watch, 0);
            notifier.TellNewPictures(watch, 3);
            QCOMPARE(notifier.Finish(), 1);
            QCOMPARE(service.Told(),
                     (QList<QStringList>{{"Quillmar", "org.quillmar.Quillmar",
                                          "3 new pictures in Paintings of spring",
                                          "http://h/gallery.html?a=1&amp;b=&lt;2&gt;\n"
                                          "saved into /tmp/pictures",
                                          "org.quillmar.Quillmar"}}));
            DesktopNotifier noBus(QDBusConnection(QStringLiteral("no such bus")));
            noBus.TellNewPictures(watch, 1);
            QCOMPARE(noBus.Finish(), 0);
            serving.unregisterObject("/org/freedesktop/Notifications");
        }
        serviceThread.quit();
        serviceThread.wait();
        QDBusConnection::disconnectFromBus("sending");
        QDBusConnection::disconnectFromBus("serving");
        bus.kill();
        bus.waitForFinished();
    }

    // The switch asks the user manager, and says why it cannot be used; without
    // a manager it enables nothing, which would stay enabled and never run.
    void switchesTheTimer_data() {
        QTest::addColumn<QString>("manager"); // empty: no systemctl at all
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("problem"); // a word of it; empty: none
        QTest::newRow("running") << "running" << true << "";
        QTest::newRow("degraded") << "degraded" << true << "";
        QTest::newRow("no user manager") << "offline" << true << "no systemd user manager";
        QTest::newRow("not installed") << "running" << false << "not installed";
        QTest::newRow("no systemctl") << "" << true << "systemctl was not found";
    }
    void switchesTheTimer() {
        QFETCH(QString, manager);
        QFETCH(bool, installed);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        const QString program = folder.filePath("systemctl");
        if (!manager.isEmpty()) {
            QVERIFY(QFile::copy(testsupport::testDataPath("watches/systemctl"), program));
            QVERIFY(WriteBytes(folder.filePath("manager"), manager.toUtf8()));
        }
        if (installed)
            QVERIFY(WriteBytes(folder.filePath("state"), "disabled"));
        const WatchTimer timer(program);
        const WatchTimer::State before = timer.Query();
        QVERIFY(!before.enabled);
        QVERIFY2(before.problem.contains(problem), qPrintable(before.problem));
        QCOMPARE(before.problem.isEmpty(), problem.isEmpty());
        const QString enabling = timer.Enable();
        QVERIFY2(enabling.contains(problem), qPrintable(enabling));
        QCOMPARE(enabling.isEmpty(), problem.isEmpty());
        QCOMPARE(timer.Query().enabled, problem.isEmpty());
        const bool managed = manager == "running" || manager == "degraded";
        QCOMPARE(BytesOf(folder.filePath("calls"))
                     .contains("--user enable --now " + WatchTimer::UnitName().toUtf8()),
                 managed);
        if (!problem.isEmpty())
            return;
        QVERIFY(timer.Disable().isEmpty());
        QVERIFY(!timer.Query().enabled);
        QVERIFY(BytesOf(folder.filePath("calls")).contains("--user disable --now"));
    }
};

QUILLMAR_TEST_MAIN(WatchDesktopTest)
#include "tst_watchdesktop.moc"
