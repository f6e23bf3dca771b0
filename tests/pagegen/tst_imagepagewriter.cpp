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
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain UTF-8")
            << QStringLiteral("my caf\u00e9.jpg")
            << QByteArray("<img src=\"my%20caf\xc3\xa9.jpg\" alt=\"my caf\xc3\xa9.jpg\">");
        QTest::newRow("attribute break")
            << QStringLiteral("z\" onerror=\"alert(1)\" x=\"<&>.png")
            << QByteArray(
                   "<img src=\"z&quot;%20onerror=&quot;alert(1)&quot;%20x=&quot;&lt;&amp;&gt;"
                   ".png\" alt=\"z&quot; onerror=&quot;alert(1)&quot; "
                   "x=&quot;&lt;&amp;&gt;.png\">");
        QTest::newRow("address characters")
            << QStringLiteral("my%20photo#1?x:y\\\t.jpg")
            << QByteArray("<img src=\"my%2520photo%231%3Fx%3Ay%5C%09.jpg\" "
                          "alt=\"my%20photo#1?x:y\\\t.jpg\">");
    }
    void writesNamesAndTitleSafely() {
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        const QByteArray written = page(name, {name});
        QVERIFY2(written.contains("\r\n" + line + "\r\n"), written.constData());
        QVERIFY(written.contains("<TITLE>\r\n" + line.mid(line.indexOf("alt=\"") + 5).chopped(2) +
                                 "</TITLE>"));
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
