#include "pagegen/CImagePageWriter.h"
#include "support/TestMain.h"

#include <QBuffer>
#include <QFile>

namespace {
QByteArray page(const QString& title, const QStringList& images) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CImagePageWriter(buffer).WritePage(title, images);
    return buffer.data();
}
} // namespace

class ImagePageWriterTest : public QObject {
    Q_OBJECT
private slots:
    void writesTheExamplePageByteForByte() {
        QCOMPARE(page(QStringLiteral("Holiday"), {"a.jpg", "b.gif"}),
                 QByteArray("<HTML>\r\n<HEAD>\r\n<TITLE>\r\nHoliday</TITLE>\r\n</HEAD>\r\n"
                            "<body bgcolor=\"#000000\"  text=\"#ffff00\"  link=\"#80ff00\"  "
                            "vlink=\"#800080\"  alink=\"#80ff00\" >\r\n"
                            "<br>\r\n<hr>\r\n<center>\r\n"
                            "<img src=\"a.jpg\" alt=\"a.jpg\">\r\n<br>\r\n"
                            "<img src=\"b.gif\" alt=\"b.gif\">\r\n<br>\r\n"
                            "</center>\r\n<hr>\r\n</BODY>\r\n</HTML>\r\n"));
    }

    void writesNamesAndTitleSafely_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("src");
        QTest::addColumn<QByteArray>("text"); // in the title and the alt attribute
        QTest::newRow("UTF-8") << QStringLiteral("my caf\u00e9.jpg")
                               << QByteArray("my%20caf\xc3\xa9.jpg")
                               << QByteArray("my caf\xc3\xa9.jpg");
        QTest::newRow("markup") << QStringLiteral("z\" onerror=\"x\" <&>.png")
                                << QByteArray("z&quot;%20onerror=&quot;x&quot;%20&lt;&amp;&gt;.png")
                                << QByteArray("z&quot; onerror=&quot;x&quot; &lt;&amp;&gt;.png");
        QTest::newRow("address") << QStringLiteral("my%20photo#1?x:y\\\t.jpg")
                                 << QByteArray("my%2520photo%231%3Fx%3Ay%5C%09.jpg")
                                 << QByteArray("my%20photo#1?x:y\\\t.jpg");
    }
    void writesNamesAndTitleSafely() {
        QFETCH(QString, name);
        QFETCH(QByteArray, src);
        QFETCH(QByteArray, text);
        const QByteArray written = page(name, {name});
        QVERIFY(written.contains("\n" + text + "</TITLE>\r\n"));
        QVERIFY(written.contains("\n<img src=\"" + src + "\" alt=\"" + text + "\">\r\n"));
    }

    void aRefusedWriteIsRaised() {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        CImagePageWriter writer(full);
        QVERIFY_THROWS_EXCEPTION(CImagePageWriter::WriteError, writer.WritePage("T", {"a.jpg"}));
    }
};

QUILLMAR_TEST_MAIN(ImagePageWriterTest)
#include "tst_imagepagewriter.moc"
