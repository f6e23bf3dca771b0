#include "BookmarkTestFiles.h"
#include "FileSizeLimit.h"
#include "bookmarks/BookmarkFile.h"
#include "support/TestMain.h"

#include <QDir>
#include <QTemporaryDir>

using bookmarktest::readBytes;
using bookmarktest::writeBytes;

using Entries = QList<QByteArray>;

class BookmarkFileTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath(BookmarkFile::FileName); }

private slots:
    void init() { QFile::remove(path()); }

    void readsEveryLineAsWritten_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Entries>("entries");
        QTest::newRow("CR LF") << QByteArray("http://a\r\nhttp://b\r\n")
                               << Entries{"http://a", "http://b"};
        QTest::newRow("LF only reads the same")
            << QByteArray("http://a\nhttp://b\n") << Entries{"http://a", "http://b"};
        QTest::newRow("last line without line end")
            << QByteArray("http://a\r\nhttp://b") << Entries{"http://a", "http://b"};
        QTest::newRow("empty lines are entries")
            << QByteArray("\r\na\r\n\n\r\nb\r\n") << Entries{"", "a", "", "", "b"};
        QTest::newRow("only a line end") << QByteArray("\r\n") << Entries{""};
        QTest::newRow("empty file") << QByteArray() << Entries{};
        QTest::newRow("spaces and a lone CR kept")
            << QByteArray("  a b \r\nx\ry\r\r\n") << Entries{"  a b ", "x\ry\r"};
        QTest::newRow("duplicates kept") << QByteArray("a\r\na\r\n") << Entries{"a", "a"};
        QTest::newRow("bytes that are not UTF-8")
            << QByteArray("caf\xe9\r\n\xff\xfe\x80\n") << Entries{"caf\xe9", "\xff\xfe\x80"};
    }
    void readsEveryLineAsWritten() {
        QFETCH(QByteArray, content);
        QFETCH(Entries, entries);
        QVERIFY(writeBytes(path(), content));
        Entries read;
        QVERIFY(BookmarkFile(path()).ReadAll(read));
        QCOMPARE(read, entries);
    }

    void missingFileReadsEmptyWithoutError() {
        Entries read{"left over"};
        QVERIFY(BookmarkFile(path()).ReadAll(read));
        QVERIFY(read.isEmpty());
        QVERIFY(!QFile::exists(path()));
    }

    void appendCreatesAndExtendsTheFile() {
        const BookmarkFile file(path());
        QVERIFY(file.Append("http://example.com/"));
        QCOMPARE(readBytes(path()), QByteArray("http://example.com/\r\n"));
        QVERIFY(file.Append("http://example.com/"));
        QVERIFY(file.Append("  spaced  "));
        QCOMPARE(readBytes(path()),
                 QByteArray("http://example.com/\r\nhttp://example.com/\r\n  spaced  \r\n"));
    }

    void appendNeverJoinsALastLineWithoutLineEnd_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no line end") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\nnew\r\n");
        QTest::newRow("LF file") << QByteArray("a\nb\n") << QByteArray("a\nb\nnew\r\n");
        QTest::newRow("empty file") << QByteArray() << QByteArray("new\r\n");
    }
    void appendNeverJoinsALastLineWithoutLineEnd() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QVERIFY(writeBytes(path(), before));
        QVERIFY(BookmarkFile(path()).Append("new"));
        QCOMPARE(readBytes(path()), after);
    }

    void rewriteKeepsEveryByte() {
        QByteArray longLine(1024 * 1024, 'x');
        longLine.prepend("http://");
        const Entries entries{"caf\xe9", longLine, "", " \xff\xfe "};
        QByteArray content;
        for (const QByteArray& entry : entries)
            content += entry + "\r\n";
        QVERIFY(writeBytes(path(), content));

        const BookmarkFile file(path());
        Entries read;
        QVERIFY(file.ReadAll(read));
        QCOMPARE(read, entries);
        QVERIFY(file.Rewrite(read));
        QCOMPARE(readBytes(path()), content);
    }

    void clearLeavesAnEmptyFile() {
        const BookmarkFile file(path());
        QVERIFY(file.Clear());
        QVERIFY(QFile::exists(path()));
        QVERIFY(writeBytes(path(), "a\r\nb\r\n"));
        QVERIFY(file.Clear());
        QVERIFY(QFile::exists(path()));
        QCOMPARE(QFileInfo(path()).size(), 0);
    }

    void folderThatIsAFileFailsEveryWrite() {
        // A path below a regular file cannot be created, not even by root.
        const QString notAFolder = m_dir.filePath("plain");
        QVERIFY(writeBytes(notAFolder, "keep"));
        const BookmarkFile file(notAFolder + "/" + BookmarkFile::FileName);
        QVERIFY(!file.Append("http://a"));
        QVERIFY(!file.Rewrite({"http://a"}));
        QVERIFY(!file.Clear());
        QCOMPARE(readBytes(notAFolder), QByteArray("keep"));
        QVERIFY(!BookmarkFile(QString()).Append("http://a"));
    }

    void failedWritesKeepTheOldFile() {
        const QByteArray old = "http://one\r\nhttp://two\r\n";
        QVERIFY(writeBytes(path(), old));
        const BookmarkFile file(path());
        const QByteArray tooLong(4096, 'y');
        bool rewritten = true;
        bool appended = true;
        {
            // Nothing may print while the limit holds: a log file would be cut too.
            FileSizeLimit limit(64);
            QVERIFY(limit.active());
            rewritten = file.Rewrite({"http://one", tooLong});
        }
        QVERIFY(!rewritten);
        QCOMPARE(readBytes(path()), old);
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList({"Quillmar*"}, QDir::Files),
                 QStringList{BookmarkFile::FileName});

        {
            FileSizeLimit limit(64);
            appended = file.Append(tooLong);
        }
        // A failed append may leave part of its line behind, but keeps what was there.
        QVERIFY(!appended);
        QVERIFY(readBytes(path()).startsWith(old));
    }
};

QUILLMAR_TEST_MAIN(BookmarkFileTest)
#include "tst_bookmarkfile.moc"
