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
    void keepsTheNewest51AndDropsNothingOnARevisit() {
        QCOMPARE(filled(addresses(0, 52)), addresses(1, 51));
        // A full history looks for the address before it drops the oldest.
        QStringList history = filled(addresses(0, 51) << "http://host/page0.html"
                                                      << "http://host/page50.html");
        QCOMPARE(history, addresses(0, 51));
        LinkHistory::Add(history, QStringLiteral("http://host/PAGE0.html"));
        QCOMPARE(history, addresses(1, 50) << QStringLiteral("http://host/PAGE0.html"));
    }

    void storesAddressesTrimmedOfControlBlanksOnly() {
        QCOMPARE(filled({" \t\r\nhttp://host/x.html\v\f ", "http://host/y.html\u00a0", QString(),
                         " \t\n"}),
                 QStringList({"http://host/x.html", "http://host/y.html\u00a0"}));
    }
};

QUILLMAR_TEST_MAIN(LinkHistoryTest)
#include "tst_quillmarviewhistory.moc"
