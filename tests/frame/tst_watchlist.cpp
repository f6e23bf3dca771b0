#include "frame/CWatchListWindow.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "watches/WatchCheckProcess.h"
#include "watches/WatchStore.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace testsupport;

namespace {

Watch Made(const QString& address) {
    Watch watch;
    watch.address = address;
    watch.title = QStringLiteral("Title of ") + address;
    watch.folder = QStringLiteral("/tmp/watched");
    return watch;
}

QTreeWidgetItem* RowOf(const CWatchListWindow& window, const QString& address) {
    const QList<QTreeWidgetItem*> rows = window.findChild<QTreeWidget*>()->findItems(
        address, Qt::MatchExactly, CWatchListWindow::AddressColumn);
    return rows.isEmpty() ? nullptr : rows.first();
}

} // namespace

// The Watch List window over a list the tool writes, and the checks it runs
// through the tool.
class WatchListTest : public QObject {
    Q_OBJECT
private slots:
    // New pictures are bold until the row is opened; a failing watch says
    // why; a removed watch leaves the list, after asking.
    void rowsTellEachWatch() {
        QTemporaryDir data;
        WatchStore store(data.filePath("Watches.sqlite"));
        for (const QString& address :
             {QStringLiteral("http://h/new"), QStringLiteral("http://h/bad")})
            QVERIFY(store.Put(Made(address), 100));
        QVERIFY(store.RecordCheck(*store.Find("http://h/new"), {200, 5, 3, {}}));
        QVERIFY(store.RecordCheck(*store.Find("http://h/bad"), {200, 0, 0, "signed out"}));
        WatchCheckProcess checks;
        ScriptedPrompts prompts;
        CWatchListWindow window(nullptr, store, checks, {});

        QTreeWidgetItem* fresh = RowOf(window, "http://h/new");
        QVERIFY(fresh);
        QCOMPARE(fresh->text(CWatchListWindow::NewColumn), QString("3"));
        QVERIFY(fresh->font(CWatchListWindow::NewColumn).bold());
        QTreeWidgetItem* failing = RowOf(window, "http://h/bad");
        QVERIFY(failing);
        QVERIFY(failing->text(CWatchListWindow::ResultColumn).contains("failed: signed out"));

        window.Open("http://h/new");
        fresh = RowOf(window, "http://h/new");
        QCOMPARE(fresh->text(CWatchListWindow::NewColumn), QString("0"));
        QVERIFY(!fresh->font(CWatchListWindow::NewColumn).bold());
        QCOMPARE(store.Find("http://h/new")->unlooked, 0);

        window.findChild<QTreeWidget*>()->setCurrentItem(failing);
        prompts.yesNoAnswers = {true};
        for (QPushButton* button : window.findChildren<QPushButton*>())
            if (button->text() == "&Remove")
                button->click();
        QVERIFY(!store.Find("http://h/bad"));
        QVERIFY(!RowOf(window, "http://h/bad"));
        QVERIFY(store.Find("http://h/new"));
    }

    // The run passes the addresses to the tool and tells each watch's files
    // and result as the tool prints them.
    void checksFollowTheToolsLines() {
        QTemporaryDir bin;
        const QString tool = bin.filePath("quillmar-harvest");
        QFile script(tool);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "echo \"$@\" > \"$0.args\"\n"
                     "echo 'saved a.png'\necho 'saved b.png'\n"
                     "echo 'http://h/a: 2 new, saved into /tmp/a'\n"
                     "echo 'http://h/b: no further pages after http://h/b'\n"
                     "echo 'http://h/b: failed: cannot load the page: refused'\n"
                     "echo 'checked 2 of 2 watches: 2 new pictures, 1 failed'\nexit 1\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
        WatchCheckProcess checks;
        QSignalSpy progress(&checks, &WatchCheckProcess::progress);
        QSignalSpy checked(&checks, &WatchCheckProcess::checked);
        QSignalSpy finished(&checks, &WatchCheckProcess::finished);
        const bool started = checks.Start({"http://h/a", "http://h/b"});
        qputenv("PATH", path);
        QVERIFY2(started, qPrintable(checks.Error()));
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(progress.size(), 2);
        QCOMPARE(progress.last(), QVariantList({"http://h/a", 2}));
        QCOMPARE(checked.size(), 2);
        QCOMPARE(checked.at(0), QVariantList({"http://h/a", 2, QString()}));
        QCOMPARE(checked.at(1), QVariantList({"http://h/b", 0, "cannot load the page: refused"}));
        QFile arguments(tool + ".args");
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(arguments.readAll(), QByteArray("--check-watches http://h/a http://h/b\n"));
    }
};

QUILLMAR_TEST_MAIN(WatchListTest)
#include "tst_watchlist.moc"
