#include "BookmarkTestFiles.h"
#include "bookmarks/BookmarkFile.h"
#include "support/TestMain.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace bookmarktest;
using Entries = QList<QByteArray>;

class BookmarkFileTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    const QString m_path = m_dir.filePath(BookmarkFile::FileName);

private slots:
    void init() { QFile::remove(m_path); }

    void readsLinesAsWritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Entries>("entries");
        QTest::newRow("CR LF, LF, no final end")
            << QByteArray("a\r\nb\nc") << Entries{"a", "b", "c"};
        QTest::newRow("empty lines") << QByteArray("\r\na\n\n") << Entries{"", "a", ""};
        QTest::newRow("blanks, lone CR, duplicates")
            << QByteArray(" a \r\nx\ry\r\r\n a \n") << Entries{" a ", "x\ry\r", " a "};
    }
    void readsLinesAsWritten() {
        QFETCH(QByteArray, content);
        QFETCH(Entries, entries);
        writeBytes(m_path, content);
        Entries read;
        QVERIFY(BookmarkFile(m_path).ReadAll(read));
        QCOMPARE(read, entries);
    }

    void appendRewriteAndClear() {
        const BookmarkFile file(m_path);
        Entries read{"stale"};
        QVERIFY(file.ReadAll(read)); // a missing file is no error
        QVERIFY(read.isEmpty());
        QVERIFY(file.Append("http://a/ "));
        QCOMPARE(readBytes(m_path), QByteArray("http://a/ \r\n"));
        writeBytes(m_path, "a\nb");
        QVERIFY(file.Append("b\r\n c\r")); // ends the unterminated last line first
        QCOMPARE(readBytes(m_path), QByteArray("a\nb\r\nb c\r\n"));

        const QByteArray content =
            "caf\xe9\r\nhttp://" + QByteArray(1 << 20, 'x') + "\r\n\r\n \xff \r\n";
        writeBytes(m_path, content);
        QVERIFY(file.ReadAll(read) && file.Rewrite(read));
        QCOMPARE(readBytes(m_path), content);
        QVERIFY(file.Clear());
        QVERIFY(QFile::exists(m_path) && readBytes(m_path).isEmpty());
    }

    void failedWritesKeepTheOldFile() {
        const QString plainFile = m_dir.filePath("plain");
        writeBytes(plainFile, "keep");
        const BookmarkFile below(plainFile + "/" + BookmarkFile::FileName);
        QVERIFY(!below.Append("a") && !below.Clear());
        QCOMPARE(readBytes(plainFile), QByteArray("keep"));
        QVERIFY(!BookmarkFile(QString()).Append("a"));
        const QString fifo = m_dir.filePath("fifo");
        QVERIFY(mkfifo(qPrintable(fifo), 0600) == 0);
        Entries read;
        QVERIFY(!BookmarkFile(fifo).ReadAll(read) && !BookmarkFile(fifo).Append("a"));
        QVERIFY(!BookmarkFile(fifo).Clear() && !QFileInfo(fifo).isFile());

        const QByteArray old = "http://one\r\nhttp://two\r\n";
        writeBytes(m_path, old);
        bool rewritten, appended;
        {
            FileSizeLimit fullDisk(64);
            rewritten = BookmarkFile(m_path).Rewrite({"http://one", QByteArray(4096, 'y')});
            appended = BookmarkFile(m_path).Append(QByteArray(4096, 'y'));
        }
        QVERIFY(!rewritten && !appended);
        // The append may leave part of its line; the rewrite left nothing behind.
        QVERIFY(readBytes(m_path).startsWith(old));
        QCOMPARE(QDir(m_dir.path()).entryList({"Quillmar*"}, QDir::Files),
                 QStringList{BookmarkFile::FileName});
    }
};

QUILLMAR_TEST_MAIN(BookmarkFileTest)
#include "tst_bookmarkfile.moc"
