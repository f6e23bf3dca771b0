#include "BookmarkTestFiles.h"
#include "bookmarks/BookmarkFile.h"
#include "support/TestMain.h"

#include <QDir>
#include <QTemporaryDir>

using namespace bookmarktest;
using Entries = QList<QByteArray>;

class BookmarkFileTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(BookmarkFile::FileName); }

private slots:
    void init() { QFile::remove(path()); }

    void readsLinesAsWritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Entries>("entries");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << Entries{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb\n") << Entries{"a", "b"};
        QTest::newRow("no final line end") << QByteArray("a\r\nb") << Entries{"a", "b"};
        QTest::newRow("empty lines") << QByteArray("\r\na\n\n") << Entries{"", "a", ""};
        QTest::newRow("blanks, lone CR, duplicates")
            << QByteArray(" a \r\nx\ry\r\r\n a \n") << Entries{" a ", "x\ry\r", " a "};
        QTest::newRow("not UTF-8")
            << QByteArray("caf\xe9\r\n\xff\x80") << Entries{"caf\xe9", "\xff\x80"};
    }
    void readsLinesAsWritten() {
        QFETCH(QByteArray, content);
        QFETCH(Entries, entries);
        writeBytes(path(), content);
        Entries read;
        QVERIFY(BookmarkFile(path()).ReadAll(read));
        QCOMPARE(read, entries);
    }

    void appendStartsAndEndsLines() {
        const BookmarkFile file(path());
        Entries read{"stale"};
        QVERIFY(file.ReadAll(read)); // a missing file is no error
        QVERIFY(read.isEmpty());
        QVERIFY(file.Append("http://a/ "));
        QCOMPARE(readBytes(path()), QByteArray("http://a/ \r\n"));
        writeBytes(path(), "a\nb");
        QVERIFY(file.Append("b"));
        QCOMPARE(readBytes(path()), QByteArray("a\nb\r\nb\r\n"));
    }

    void rewriteKeepsEveryByteAndClearEmpties() {
        const Entries entries{"caf\xe9", "http://" + QByteArray(1024 * 1024, 'x'), "", " \xff "};
        QByteArray content;
        for (const QByteArray& entry : entries)
            content += entry + "\r\n";
        writeBytes(path(), content);
        const BookmarkFile file(path());
        Entries read;
        QVERIFY(file.ReadAll(read));
        QVERIFY(file.Rewrite(read));
        QCOMPARE(readBytes(path()), content);
        QVERIFY(file.Clear());
        QCOMPARE(readBytes(path()), QByteArray());
        QVERIFY(QFile::exists(path()));
    }

    void failedWritesKeepTheOldFile() {
        const QString plainFile = m_dir.filePath("plain");
        writeBytes(plainFile, "keep");
        const BookmarkFile below(plainFile + "/" + BookmarkFile::FileName);
        QVERIFY(!below.Append("a"));
        QVERIFY(!below.Clear());
        QCOMPARE(readBytes(plainFile), QByteArray("keep"));
        QVERIFY(!BookmarkFile(QString()).Append("a"));

        const QByteArray old = "http://one\r\nhttp://two\r\n";
        writeBytes(path(), old);
        bool rewritten = true;
        bool appended = true;
        {
            FileSizeLimit fullDisk(64);
            rewritten = BookmarkFile(path()).Rewrite({"http://one", QByteArray(4096, 'y')});
            appended = BookmarkFile(path()).Append(QByteArray(4096, 'y'));
        }
        QVERIFY(!rewritten);
        QVERIFY(!appended);
        // The append may leave part of its line; the rewrite left nothing behind.
        QVERIFY(readBytes(path()).startsWith(old));
        QCOMPARE(QDir(m_dir.path()).entryList({"Quillmar*"}, QDir::Files),
                 QStringList{BookmarkFile::FileName});
    }
};

QUILLMAR_TEST_MAIN(BookmarkFileTest)
#include "tst_bookmarkfile.moc"
