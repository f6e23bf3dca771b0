#include "support/TestMain.h"
#include "watches/Watch.h"
#include "watches/WatchCheck.h"
#include "watches/WatchChoices.h"
#include "watches/WatchPeriod.h"
#include "watches/WatchSchedule.h"

#include <limits>

// The rules of watches: how often, when due, when a check fails, what is kept of its choices.
class WatchRulesTest : public QObject {
    Q_OBJECT
private slots:
    void periods_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("seconds"); // -1: refused
        QTest::addColumn<QString>("shown");  // as written back, or a word of the refusal
        QTest::newRow("minutes") << "30m" << qint64(1800) << "30m";
        QTest::newRow("hours") << "6h" << qint64(21600) << "6h";
        QTest::newRow("days") << "2d" << qint64(172800) << "2d";
        QTest::newRow("capital unit") << "6H" << qint64(21600) << "6h";
        QTest::newRow("shortest") << "5m" << qint64(300) << "5m";
        QTest::newRow("whole hours of minutes") << "120m" << qint64(7200) << "2h";
        QTest::newRow("hours of days") << "48h" << qint64(172800) << "2d";
        QTest::newRow("longest") << "365d" << qint64(365 * 86400) << "365d";
        QTest::newRow("too short") << "4m" << qint64(-1) << "every 5m";
        QTest::newRow("none") << "0d" << qint64(-1) << "every 5m";
        QTest::newRow("too long") << "366d" << qint64(-1) << "every 365d";
        QTest::newRow("seconds") << "90s" << qint64(-1) << "30m, 6h or 2d";
        QTest::newRow("no unit") << "30" << qint64(-1) << "30m, 6h or 2d";
        QTest::newRow("fraction") << "1.5h" << qint64(-1) << "30m, 6h or 2d";
        QTest::newRow("negative") << "-5m" << qint64(-1) << "30m, 6h or 2d";
        QTest::newRow("empty") << "" << qint64(-1) << "30m, 6h or 2d";
    }
    void periods() {
        QFETCH(QString, text);
        QFETCH(qint64, seconds);
        QFETCH(QString, shown);
        QString error;
        const std::optional<qint64> parsed = WatchPeriod::Parse(text, error);
        QCOMPARE(parsed.value_or(-1), seconds);
        if (parsed)
            QCOMPARE(WatchPeriod::Text(*parsed), shown);
        else
            QVERIFY2(error.contains(shown), qPrintable(error));
    }

    void dueChecks_data() {
        QTest::addColumn<qint64>("lastCheck");
        QTest::addColumn<qint64>("period");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("failing");
        QTest::addColumn<bool>("all");
        QTest::addColumn<bool>("due");
        QTest::addColumn<qint64>("next");
        constexpr qint64 hour = 3600;
        constexpr qint64 latest = std::numeric_limits<qint64>::max();
        QTest::newRow("never checked")
            << qint64(0) << hour << qint64(10) << false << false << true << qint64(0);
        QTest::newRow("just checked")
            << qint64(1000) << hour << qint64(1000) << false << false << false << 1000 + hour;
        QTest::newRow("a second early")
            << qint64(1000) << hour << 999 + hour << false << false << false << 1000 + hour;
        QTest::newRow("period over")
            << qint64(1000) << hour << 1000 + hour << false << false << true << 1000 + hour;
        QTest::newRow("failing, early")
            << qint64(1000) << hour << qint64(2000) << true << false << false << 1000 + hour;
        QTest::newRow("failing, period over")
            << qint64(1000) << hour << 1000 + hour << true << false << true << 1000 + hour;
        QTest::newRow("all") << qint64(1000) << hour << qint64(1001) << false << true << true
                             << 1000 + hour;
        QTest::newRow("clock set back")
            << qint64(5000) << hour << qint64(1000) << false << false << true << 5000 + hour;
        QTest::newRow("far future")
            << latest - 10 << hour << qint64(1000) << false << false << true << latest;
    }
    void dueChecks() {
        QFETCH(qint64, lastCheck);
        QFETCH(qint64, period);
        QFETCH(qint64, now);
        QFETCH(bool, failing);
        QFETCH(bool, all);
        QFETCH(bool, due);
        QFETCH(qint64, next);
        Watch watch;
        watch.lastCheck = lastCheck;
        watch.period = period;
        watch.failure = failing ? QStringLiteral("cannot load the page") : QString();
        QCOMPARE(WatchSchedule::IsDue(watch, now, all), due);
        QCOMPARE(WatchSchedule::NextCheck(watch), next);
    }

    // A check fails when the page cannot be loaded or gives nothing where it gave pictures.
    void checkOutcomes_data() {
        QTest::addColumn<QString>("loadFailure");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("failure"); // a word of the reason; empty: good
        QTest::addColumn<int>("newCount");
        QTest::newRow("grown") << "" << 10 << 8 << "" << 2;
        QTest::newRow("first check") << "" << 8 << 0 << "" << 8;
        QTest::newRow("empty from the start") << "" << 0 << 0 << "" << 0;
        QTest::newRow("emptied") << "" << 0 << 8 << "gave 8" << 0;
        QTest::newRow("not loaded") << "timed out" << 0 << 8 << "timed out" << 0;
        QTest::newRow("not loaded, never good") << "refused" << 0 << 0 << "refused" << 0;
    }
    void checkOutcomes() {
        QFETCH(QString, loadFailure);
        QFETCH(int, pictures);
        QFETCH(int, before);
        QFETCH(QString, failure);
        QFETCH(int, newCount);
        const WatchCheck check = WatchCheck::Judge(77, loadFailure, pictures, before, newCount);
        QCOMPARE(check.time, qint64(77));
        QCOMPARE(check.Failed(), !failure.isEmpty());
        QVERIFY2(check.failure.contains(failure), qPrintable(check.failure));
        QCOMPARE(check.newCount, newCount);
    }

    // Stored choices come back as made; a value of another version gives what it
    // holds and defaults for the rest, within the bounds the options keep to.
    void storedChoices() {
        WatchChoices made;
        made.deep = made.followThumbnails = made.follow.takeAll = made.similar = true;
        made.minimumSize = QSize(200, 0);
        made.follow.nextPages = 5;
        made.follow.match = made.match = QStringLiteral("photo");
        made.names = QStringLiteral("{site}/{num:03}.{ext}");
        made.links = made.windowLogins = made.markOrigin = false;
        made.fromNow = true;
        QCOMPARE(WatchChoices::FromJson(made.ToJson()), made);
        QCOMPARE(WatchChoices::FromJson("not json"), WatchChoices());

        const WatchChoices later = WatchChoices::FromJson(
            R"({"version": 9, "deep": true, "nextPages": 99999, "names": "../{name}.{ext}",
                "laterChoice": [1, 2]})");
        WatchChoices expected;
        expected.deep = true;
        expected.follow.nextPages = 1000;
        QCOMPARE(later, expected);
    }
};

QUILLMAR_TEST_MAIN(WatchRulesTest)
#include "tst_watchrules.moc"
