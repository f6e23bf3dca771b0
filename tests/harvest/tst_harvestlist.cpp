#include "harvest/CHarvestList.h"
#include "support/TestMain.h"

#include <QItemSelection>
#include <QRandomGenerator>
#include <QSignalSpy>

class HarvestListTest : public QObject {
    Q_OBJECT
private slots:
    void sortsCaseInsensitivelyThenByBytes_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ties") << QStringList{"b.jpg", "A.gif", "a.gif", "B.jpg"}
                                   << QStringList{"A.gif", "a.gif", "B.jpg", "b.jpg"};
        QTest::newRow("duplicates kept") << QStringList{"x.png", "X.png", "x.png", "a.png"}
                                         << QStringList{"a.png", "X.png", "x.png", "x.png"};
        QTest::newRow("prefix and punctuation")
            << QStringList{"ab.gif", "a.gif", "A_b.gif", "a b.gif", "10.jpg", "9.jpg"}
            << QStringList{"10.jpg", "9.jpg", "a b.gif", "a.gif", "A_b.gif", "ab.gif"};
    }
    void sortsCaseInsensitivelyThenByBytes() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        CHarvestList oneByOne;
        for (const QString& line : added)
            oneByOne.AddString(line);
        QCOMPARE(oneByOne.Lines(), expected);
        CHarvestList bulk;
        bulk.AddStrings(added);
        QCOMPARE(bulk.Lines(), expected);
    }

    void bulkAddEqualsOneByOneOnRandomNames() {
        const QStringList stems{"a", "A", "b", "B", "img", "IMG", "Img", "photo", "_x", "0"};
        QStringList lines;
        auto* random = QRandomGenerator::global();
        for (int i = 0; i < 2000; ++i)
            lines.append(stems.at(random->bounded(stems.size())) +
                         QString::number(random->bounded(50)) + QStringLiteral(".jpg"));
        CHarvestList oneByOne;
        for (const QString& line : lines)
            oneByOne.AddString(line);
        CHarvestList bulk;
        bulk.AddStrings(lines.mid(0, 1000));
        bulk.AddStrings(lines.mid(1000)); // into a filled list
        QCOMPARE(bulk.Lines(), oneByOne.Lines());
        QCOMPARE(bulk.count(), lines.size());
    }

    void selectionIsCountedAndReadInLineOrder() {
        CHarvestList list;
        list.AddStrings({"d.gif", "c.gif", "b.gif", "a.gif", "c.gif"});
        QSignalSpy changes(&list, &QListWidget::itemSelectionChanged);
        list.item(4)->setSelected(true);
        list.item(1)->setSelected(true);
        list.item(2)->setSelected(true);
        QCOMPARE(list.GetSelCount(), 3);
        QCOMPARE(list.SelectedLines(), (QStringList{"b.gif", "c.gif", "d.gif"}));
        QVERIFY(changes.count() > 0);

        // Both equal lines can be selected and each counts.
        list.clearSelection();
        list.item(2)->setSelected(true);
        list.item(3)->setSelected(true);
        QCOMPARE(list.GetSelCount(), 2);
        QCOMPARE(list.SelectedLines(), (QStringList{"c.gif", "c.gif"}));

        list.ResetContent();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.GetSelCount(), 0);
        QVERIFY(list.SelectedLines().isEmpty());
    }

    void shiftClickSelectsARangeAndDoubleClickChangesNothing() {
        CHarvestList list;
        list.AddStrings({"a.gif", "b.gif", "c.gif", "d.gif"});
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto centre = [&](int row) { return list.visualItemRect(list.item(row)).center(); };
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre(0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(2));
        QCOMPARE(list.GetSelCount(), 3);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, centre(3));
        QCOMPARE(list.SelectedLines(), (QStringList{"a.gif", "b.gif", "c.gif", "d.gif"}));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centre(1));
        QCOMPARE(list.Lines(), (QStringList{"a.gif", "b.gif", "c.gif", "d.gif"}));
        QVERIFY(!list.isPersistentEditorOpen(list.item(1)));
        QVERIFY(!(list.item(1)->flags() & Qt::ItemIsEditable) ||
                list.editTriggers() == QAbstractItemView::NoEditTriggers);
    }

    void manyRowsSelectedAtOnce() {
        CHarvestList list;
        QStringList lines;
        for (int i = 0; i < 100000; ++i)
            lines.append(QStringLiteral("p%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
        list.AddStrings(lines);
        QCOMPARE(list.count(), 100000);
        QCOMPARE(list.item(0)->text(), QStringLiteral("p000000.jpg"));
        QCOMPARE(list.item(99999)->text(), QStringLiteral("p099999.jpg"));
        const QItemSelection rows(list.model()->index(10, 0), list.model()->index(59999, 0));
        list.selectionModel()->select(rows, QItemSelectionModel::Select);
        QCOMPARE(list.GetSelCount(), 59990);
        const QStringList selected = list.SelectedLines();
        QCOMPARE(selected.size(), 59990);
        QCOMPARE(selected.first(), QStringLiteral("p000010.jpg"));
        QCOMPARE(selected.last(), QStringLiteral("p059999.jpg"));
    }
};

QUILLMAR_TEST_MAIN(HarvestListTest)
#include "tst_harvestlist.moc"
