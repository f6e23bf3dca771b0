#include "harvest/ListOrder.h"
#include "support/TestMain.h"

#include <algorithm>

class ListOrderTest : public QObject {
    Q_OBJECT
private slots:
    void sortsCaseInsensitivelyThenByBytes() {
        const QString umlaut = QString::fromUtf8("\xc3\xa4.gif");
        QStringList lines = {"b.gif",  "A.gif",  "a.gif", "B.gif", "a.gif",
                             "_x.png", "10.jpg", "9.jpg", umlaut,  "Ab.gif"};
        std::sort(lines.begin(), lines.end(), ListOrder());
        QCOMPARE(lines, (QStringList{"10.jpg", "9.jpg", "_x.png", "A.gif", "a.gif", "a.gif",
                                     "Ab.gif", "B.gif", "b.gif", umlaut}));
        // Strict, or sorting would misbehave on equal lines.
        QVERIFY(!ListOrder::LessThan("a.gif", "a.gif"));
        QVERIFY(!ListOrder::LessThan("a.gif", "A.gif"));
    }
};

QUILLMAR_TEST_MAIN(ListOrderTest)
#include "tst_listorder.moc"
