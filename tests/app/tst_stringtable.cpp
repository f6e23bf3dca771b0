#include "app/CommandIds.h"
#include "app/StringTable.h"
#include "support/TestMain.h"

class StringTableTest : public QObject {
    Q_OBJECT
private slots:
    void splitsPromptAndTipKeepingBlanks_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("tip");
        QTest::newRow("folder label") << int(ID_FOLDER_LABEL) << "Current download directory. "
                                      << " Current download directory.";
        QTest::newRow("history") << int(ID_HISTORY) << "History"
                                 << " History.";
        QTest::newRow("dialog tip without prompt") << 1047 << "Select"
                                                   << "";
        QTest::newRow("files left has none") << int(ID_FILES_LEFT) << ""
                                             << "";
        QTest::newRow("animation has none") << int(ID_ANIMATION) << ""
                                            << "";
    }
    void splitsPromptAndTipKeepingBlanks() {
        QFETCH(int, id);
        QFETCH(QString, prompt);
        QFETCH(QString, tip);
        QCOMPARE(StringTable::prompt(id), prompt);
        QCOMPARE(StringTable::tip(id), tip);
        QCOMPARE(StringTable::contains(id), !prompt.isEmpty());
    }
};

QUILLMAR_TEST_MAIN(StringTableTest)
#include "tst_stringtable.moc"
