#include "support/TestMain.h"
#include "transfer/RatePacer.h"
#include "transfer/RefererPolicy.h"

#include <QUrl>

// What every transfer keeps to: the pace and the Referer.
class TransferRulesTest : public QObject {
    Q_OBJECT
private slots:
    // The pace owes what a block overdrew, saves up only a quarter second while
    // quiet, and lets a block held back through.
    void pacerKeepsToItsRate() {
        const RatePacer::Clock::time_point start{};
        const auto at = [&](int milliseconds) {
            return start + std::chrono::milliseconds(milliseconds);
        };
        RatePacer pacer(1000, start);
        QVERIFY(!pacer.Take(1, false, start));
        QVERIFY(pacer.Take(500, false, at(100)));
        QVERIFY(!pacer.Take(1, false, at(100)));
        QCOMPARE(pacer.WaitTime(at(100)),
                 RatePacer::Clock::duration(std::chrono::milliseconds(401)));
        QVERIFY(pacer.Take(1000, true, at(100)));
        QVERIFY(pacer.Take(250, false, at(60000)));
        QVERIFY(!pacer.Take(1, false, at(60000)));
        QVERIFY(RatePacer(0).Take(1 << 30));
    }

    void refererFollowsThePagesPolicy_data() {
        QTest::addColumn<QString>("policy");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("referer");
        const QString page = "http://user:pw@a.test:80/g.html?token=1#top";
        const QString full = "http://a.test/g.html?token=1";
        const QString secure = "https://a.test/g.html?token=1";
        const QString a = "http://a.test/x.jpg", b = "http://b.test/x.jpg";
        const QString origin = "http://a.test/";
        QTest::newRow("other port") << "" << page << "http://a.test:81/x.jpg" << origin;
        QTest::newRow("https to http") << "" << secure << a << "";
        QTest::newRow("file page") << QString() << "file:///home/u/g.html" << a << "";
        QTest::newRow("no-referrer") << "No-Referrer" << page << a << "";
        QTest::newRow("same-origin, same") << "same-origin" << page << a << full;
        QTest::newRow("same-origin, other") << "same-origin" << page << b << "";
        QTest::newRow("last known wins") << "never, unsafe-url ,bogus" << secure << b << secure;
        QTest::newRow("no-referrer-when-downgrade")
            << "no-referrer-when-downgrade" << page << b << full;
        QTest::newRow("origin-when-cross-origin")
            << "origin-when-cross-origin" << secure << a << "https://a.test/";
        QTest::newRow("overlong address") << "" << origin + QString(5000, 'p') << a << origin;
    }

    void refererFollowsThePagesPolicy() {
        QFETCH(QString, policy);
        QFETCH(QString, page);
        QFETCH(QString, target);
        QFETCH(QString, referer);
        QCOMPARE(RefererPolicy(policy).RefererFor(QUrl(page), QUrl(target)), referer);
    }
};

QUILLMAR_TEST_MAIN(TransferRulesTest)
#include "tst_transferrules.moc"
