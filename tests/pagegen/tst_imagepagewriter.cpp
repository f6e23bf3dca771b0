#include "pagegen/CImagePageWriter.h"
#include "support/TestMain.h"

#include <QBuffer>

namespace {

const QByteArray BodyTag = "<body bgcolor=\"#000000\"  text=\"#ffff00\"  link=\"#80ff00\"  "
                           "vlink=\"#800080\"  alink=\"#80ff00\" >";

QByteArray pageBytes(const QString& title, const QStringList& images) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CImagePageWriter(buffer).WritePage(title, images);
    return buffer.data();
}

QByteArray joinLines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Accepts a fixed number of bytes, then refuses every write.
class FillingDevice : public QIODevice {
public:
    explicit FillingDevice(qint64 capacity) : capacity(capacity) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (written.size() + size > capacity) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        written.append(data, size);
        return size;
    }

private:
    qint64 capacity;
};

} // namespace

class ImagePageWriterTest : public QObject {
    Q_OBJECT
private slots:
    void writesTheExamplePageByteForByte() {
        const QByteArray expected = joinLines({
            "<HTML>",
            "<HEAD>",
            "<TITLE>",
            "Holiday</TITLE>",
            "</HEAD>",
            BodyTag,
            "<br>",
            "<hr>",
            "<center>",
            "<img src=\"a.jpg\" alt=\"a.jpg\">",
            "<br>",
            "<img src=\"b.gif\" alt=\"b.gif\">",
            "<br>",
            "</center>",
            "<hr>",
            "</BODY>",
            "</HTML>",
        });
        QCOMPARE(pageBytes(QStringLiteral("Holiday"), {"a.jpg", "b.gif"}), expected);
    }

    void writesTitlesAndNamesUnchanged() {
        const QList<QByteArray> emptyTitle = pageBytes(QString(), {"a.png"}).split('\n');
        QCOMPARE(emptyTitle.at(3), QByteArray("</TITLE>\r"));

        const QByteArray markup = pageBytes(QStringLiteral("Tom & <Jerry>"), {});
        QVERIFY(markup.contains("\r\nTom & <Jerry></TITLE>\r\n"));

        const QByteArray spaced = pageBytes(QStringLiteral("Trip"), {"my photo 1.jpg"});
        QVERIFY(spaced.contains("\r\n<img src=\"my photo 1.jpg\" alt=\"my photo 1.jpg\">\r\n"));

        const QByteArray accented = pageBytes(QStringLiteral("Été"), {QStringLiteral("café.gif")});
        QVERIFY(accented.contains("\r\n\xc3\x89t\xc3\xa9</TITLE>\r\n"));
        QVERIFY(accented.contains("<img src=\"caf\xc3\xa9.gif\" alt=\"caf\xc3\xa9.gif\">\r\n"));
    }

    void eachImageAddsTwoLinesAndEveryLineEndsInCrLf() {
        const QByteArray one = pageBytes(QStringLiteral("One"), {"a.jpg"});
        QCOMPARE(one.count("\r\n"), 15);
        QCOMPARE(one.count('\n'), 15);
        QCOMPARE(one.count('\r'), 15);
        QVERIFY(one.endsWith("</HTML>\r\n"));

        const QByteArray three = pageBytes(QStringLiteral("Three"), {"a.jpg", "b.gif", "c.png"});
        QCOMPARE(three.count("\r\n"), 19);
        QVERIFY(three.indexOf("a.jpg") < three.indexOf("b.gif"));
        QVERIFY(three.indexOf("b.gif") < three.indexOf("c.png"));
    }

    void aRefusedWriteStopsThePageAndKeepsEarlierLines() {
        FillingDevice device(20);
        CImagePageWriter writer(device);
        bool thrown = false;
        try {
            writer.WritePage(QStringLiteral("Holiday"), {"a.jpg"});
        } catch (const CImagePageWriter::WriteError& error) {
            thrown = true;
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("No space left on device"));
        }
        QVERIFY(thrown);
        QCOMPARE(device.written, QByteArray("<HTML>\r\n<HEAD>\r\n"));
    }

    void aClosedDeviceIsReportedAsWriteError() {
        QBuffer closed;
        CImagePageWriter writer(closed);
        QVERIFY_THROWS_EXCEPTION(CImagePageWriter::WriteError, writer.WriteBreak());
        QVERIFY(closed.data().isEmpty());
    }
};

QUILLMAR_TEST_MAIN(ImagePageWriterTest)
#include "tst_imagepagewriter.moc"
