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

    void keepsTitlesAndNamesAsGiven() {
        QCOMPARE(page(QString(), {"a.png"}).split('\n').at(3), QByteArray("</TITLE>\r"));
        const QByteArray given = page("Tom & <Jerry>", {QStringLiteral("my café.jpg")});
        QVERIFY(given.contains("\nTom & <Jerry></TITLE>\r\n"));
        QVERIFY(
            given.contains("\n<img src=\"my caf\xc3\xa9.jpg\" alt=\"my caf\xc3\xa9.jpg\">\r\n"));
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
