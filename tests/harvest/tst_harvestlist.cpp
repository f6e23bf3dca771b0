#include "harvest/CHarvestList.h"
#include "support/TestMain.h"

#include <QItemSelection>
#include <QRandomGenerator>

class HarvestListTest : public QObject {
    Q_OBJECT
private slots:
    void bulkAddSortsLikeOneByOne_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ties, duplicates kept")
            << QStringList{"b.jpg", "A.gif", "x.png", "a.gif", "B.jpg", "X.png", "x.png"}
            << QStringList{"A.gif", "a.gif", "B.jpg", "b.jpg", "X.png", "x.png", "x.png"};
        QTest::newRow("prefix and punctuation")
            << QStringList{"ab.gif", "a.gif", "A_b.gif", "a b.gif", "10.jpg", "9.jpg"}
            << QStringList{"10.jpg", "9.jpg", "a b.gif", "a.gif", "A_b.gif", "ab.gif"};
        const QStringList stems{"a", "A", "b", "B", "img", "IMG", "Img", "_x", "0"};
        QStringList random;
        for (int i = 0; i < 2000; ++i)
            random << stems.at(QRandomGenerator::global()->bounded(stems.size())) +
                          QString::number(QRandomGenerator::global()->bounded(50)) + ".jpg";
        QTest::newRow("random, checked against one by one") << random << QStringList();
    }
    void bulkAddSortsLikeOneByOne() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        // Each line's address tells where it was added; equal names keep that order.
        HarvestLines lines;
        for (const QString& name : added)
            lines.append({name, QString::number(lines.size())});
        CHarvestList oneByOne;
        for (const HarvestLine& line : lines)
            oneByOne.AddString(line.name, line.address);
        // Added in two halves, so the second lands in a filled list.
        CHarvestList bulk;
        bulk.AddStrings(lines.mid(0, lines.size() / 2));
        bulk.AddStrings(lines.mid(lines.size() / 2));
        bulk.selectAll();
        oneByOne.selectAll();
        QCOMPARE(bulk.SelectedLines(), oneByOne.SelectedLines());
        if (!expected.isEmpty())
            QCOMPARE(bulk.Lines(), expected);
    }

    void selectionIsCountedAndReadInLineOrder() {
        CHarvestList list;
        list.AddStrings(
            {{"d.gif", "d"}, {"c.gif", "c1"}, {"b.gif", "b"}, {"a.gif", "a"}, {"c.gif", "c2"}});
        for (int row : {4, 2, 3})
            list.item(row)->setSelected(true);
        QCOMPARE(list.GetSelCount(), 3);
        QCOMPARE(list.SelectedLines(),
                 (HarvestLines{{"c.gif", "c1"}, {"c.gif", "c2"}, {"d.gif", "d"}}));
        list.ResetContent();
        QCOMPARE(list.GetSelCount(), 0);
        QVERIFY(list.Lines().isEmpty());
    }

    void doubleClickChangesNothing() {
        CHarvestList list;
        list.AddStrings({{"a.gif", "a"}, {"b.gif", "b"}});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        // A click first: a double-click only edits the item already current.
        const QPoint centre = list.visualItemRect(list.item(1)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QCOMPARE(list.Lines(), (QStringList{"a.gif", "b.gif"}));
        QVERIFY(list.viewport()->findChildren<QWidget*>().isEmpty()); // no editor opened
    }

    void manyRowsSelectedAtOnce() {
        CHarvestList list;
        HarvestLines lines;
        for (int i = 0; i < 100000; ++i)
            lines.append({QStringLiteral("p%1.jpg").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("http://h/%1/p.jpg").arg(i)});
        list.AddStrings(lines);
        list.selectionModel()->select(
            QItemSelection(list.model()->index(10, 0), list.model()->index(59999, 0)),
            QItemSelectionModel::Select);
        QCOMPARE(list.GetSelCount(), 59990);
        QCOMPARE(list.SelectedLines(), lines.mid(10, 59990));
    }
};

QUILLMAR_TEST_MAIN(HarvestListTest)
#include "tst_harvestlist.moc"
