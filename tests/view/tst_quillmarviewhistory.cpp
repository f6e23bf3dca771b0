#include "bookmarks/LinkHistory.h"
#include "support/TestMain.h"

namespace {
QStringList addresses(int first, int count) {
    QStringList list;
    for (int i = first; i < first + count; ++i)
        list << QStringLiteral("http://host/page%1.html").arg(i);
    return list;
}

QStringList filled(const QStringList& adds) {
    QStringList history;
    for (const QString& address : adds)
        LinkHistory::Add(history, address);
    return history;
}
} // namespace

class LinkHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void keepsTheNewest51OldestFirst() {
        const QStringList history = filled(addresses(0, 52));
        QCOMPARE(history, addresses(1, 51));
    }

    void revisitsNeitherMoveNorAddNorDrop() {
        QStringList history = filled(addresses(0, 3));
        LinkHistory::Add(history, QStringLiteral("http://host/page0.html"));
        QCOMPARE(history, addresses(0, 3));

        // A full history visited again keeps all 51 entries.
        history = filled(addresses(0, 51));
        LinkHistory::Add(history, QStringLiteral("http://host/page0.html"));
        LinkHistory::Add(history, QStringLiteral("http://host/page50.html"));
        QCOMPARE(history, addresses(0, 51));
        // Only a new address costs the oldest one.
        LinkHistory::Add(history, QStringLiteral("http://host/new.html"));
        QCOMPARE(history.size(), 51);
        QCOMPARE(history.first(), QStringLiteral("http://host/page1.html"));
        QCOMPARE(history.last(), QStringLiteral("http://host/new.html"));
    }

    void comparesCaseSensitively() {
        const QStringList history =
            filled({QStringLiteral("http://host/A.html"), QStringLiteral("http://host/a.html")});
        QCOMPARE(history.size(), 2);
    }

    void storesAddressesTrimmedOfControlBlanks() {
        const QStringList history = filled({QStringLiteral(" \t\r\nhttp://host/x.html\v\f "),
                                            QStringLiteral("http://host/\u00a0y.html")});
        QCOMPARE(history, QStringList({QStringLiteral("http://host/x.html"),
                                       QStringLiteral("http://host/\u00a0y.html")}));
    }

    void ignoresEmptyAndBlankAddresses() {
        QStringList history = filled(addresses(0, 51));
        LinkHistory::Add(history, QString());
        LinkHistory::Add(history, QStringLiteral(" \t\n"));
        QCOMPARE(history, addresses(0, 51));
    }

    void returnsAsNewestAfterBeingRemoved() {
        QStringList history = filled(addresses(0, 3));
        history.removeAt(0);
        LinkHistory::Add(history, QStringLiteral("http://host/page0.html"));
        QCOMPARE(history.last(), QStringLiteral("http://host/page0.html"));
        QCOMPARE(history.size(), 3);
    }
};

QUILLMAR_TEST_MAIN(LinkHistoryTest)
#include "tst_quillmarviewhistory.moc"
