#include "bookmarks/BookmarkTestFiles.h"
#include "controls/CBitmapButton.h"
#include "pagegen/CImagePageDialog.h"
#include "pagegen/CImagePageWriter.h"
#include "support/AccessibilityWalk.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

// Answers like a platform picker that leaves the process in another folder,
// noting whether the dialog could be closed or re-picked meanwhile.
class WanderingPrompts : public testsupport::ScriptedPrompts {
public:
    const CImagePageDialog* dialog = nullptr;
    bool usableDuringPick = false;

    QString chooseFolder(QWidget* owner, const QString& start) override {
        usableDuringPick |= dialog->folderButton->isEnabled() || dialog->okButton->isEnabled() ||
                            dialog->cancelButton->isEnabled();
        QDir::setCurrent(QDir::rootPath());
        return ScriptedPrompts::chooseFolder(owner, start);
    }
    QString chooseSaveFile(QWidget* owner, const QString& start, const QString& name,
                           const QString& suffix, const QString& filter) override {
        QDir::setCurrent(QDir::rootPath());
        return ScriptedPrompts::chooseSaveFile(owner, start, name, suffix, filter);
    }
};

} // namespace

using namespace bookmarktest;

class ImagePageDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir images;
    const QString startFolder = QDir::currentPath();
    // One dialog for every test: each picks its folder again.
    CImagePageDialog dialog;
    WanderingPrompts answers;

    void pick(const QString& folder) {
        answers.folderAnswers << folder;
        dialog.folderButton->click();
    }
    QStringList offered() const {
        QStringList names;
        for (int row = 0; row < dialog.imageList->count(); ++row)
            names << dialog.imageList->item(row)->text();
        return names;
    }

private slots:
    void initTestCase() {
        for (const char* name : {"c.png", "a.GIF", "B.jpg", "b.jpeg", "d.txt", "x.gif.bak", ".gif"})
            writeBytes(images.filePath(QString::fromLatin1(name)), "x");
        QVERIFY(QDir(images.path()).mkdir(QStringLiteral("folder.png")));
        answers.dialog = &dialog;
        // It opens at the pointer, with labels that fit.
        const QPoint pointer(250, 200);
        QCursor::setPos(pointer);
        dialog.show();
        QVERIFY((dialog.geometry().center() - pointer).manhattanLength() <= 8); // frame width
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
    }

    void picksGifJpgAndPngFilesAndSavesTheSelectionTopToBottom() {
        QTemporaryDir other;
        writeBytes(other.filePath(QStringLiteral("z.jpg")), "x");
        pick(other.path());
        pick(images.path());
        QCOMPARE(offered(), QStringList({"a.GIF", "B.jpg", "c.png"}));
        QVERIFY(!answers.usableDuringPick);
        QVERIFY(dialog.folderButton->isEnabled() && dialog.okButton->isEnabled() &&
                dialog.cancelButton->isEnabled());
        dialog.generateButton->click(); // nothing selected, nothing asked

        dialog.imageList->item(2)->setSelected(true);
        dialog.imageList->item(0)->setSelected(true);
        dialog.titleEdit->setText(QStringLiteral("Holiday"));
        const QString path = images.filePath(QStringLiteral("Images.htm"));
        answers.saveFileAnswers << path;
        dialog.generateButton->click();
        dialog.generateButton->click(); // cancelled
        QCOMPARE(dialog.pagePath, path);
        QCOMPARE(readBytes(path),
                 QByteArray("<HTML>\r\n<HEAD>\r\n<TITLE>\r\nHoliday</TITLE>\r\n</HEAD>\r\n"
                            "<body bgcolor=\"#000000\"  text=\"#ffff00\"  link=\"#80ff00\"  "
                            "vlink=\"#800080\"  alink=\"#80ff00\" >\r\n"
                            "<br>\r\n<hr>\r\n<center>\r\n"
                            "<img src=\"a.GIF\" alt=\"a.GIF\">\r\n<br>\r\n"
                            "<img src=\"c.png\" alt=\"c.png\">\r\n<br>\r\n"
                            "</center>\r\n<hr>\r\n</BODY>\r\n</HTML>\r\n"));
        QVERIFY(answers.messages.isEmpty());

        pick(QString()); // cancelled: the offered images stay, saving starts at the start folder
        QCOMPARE(offered(), QStringList({"a.GIF", "B.jpg", "c.png"}));
        dialog.generateButton->click();
        QCOMPARE(answers.saveFileStartFolders,
                 QStringList({images.path(), images.path(), startFolder}));
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void writesNamesAndTitleSafely() {
        // A name, its src attribute, and its text in the title and the alt attribute.
        const QList<std::tuple<QString, QByteArray, QByteArray>> names = {
            {QStringLiteral("my caf\u00e9 \U0001F600.jpg"), "my%20caf%C3%A9%20%F0%9F%98%80.jpg",
             "my caf&#233; &#128512;.jpg"},
            {QStringLiteral("z\" onerror=\"x\" <&>.png"),
             "z&quot;%20onerror=&quot;x&quot;%20&lt;&amp;&gt;.png",
             "z&quot; onerror=&quot;x&quot; &lt;&amp;&gt;.png"},
            {QStringLiteral("my%20photo#1?x:y\\\t.jpg"), "my%2520photo%231%3Fx%3Ay%5C%09.jpg",
             "my%20photo#1?x:y\\\t.jpg"}};
        for (const auto& [name, src, text] : names) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            CImagePageWriter(buffer).WritePage(name, {name});
            const QByteArray written = buffer.data();
            QVERIFY(written.contains("\n" + text + "</TITLE>\r\n"));
            QVERIFY(written.contains("\n<img src=\"" + src + "\" alt=\"" + text + "\">\r\n"));
        }
    }

    void aPageThatCannotBeWrittenIsReportedAndTheOldOneKept() {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        CImagePageWriter writer(full);
        QVERIFY_THROWS_EXCEPTION(CImagePageWriter::WriteError, writer.WritePage("T", {"a.jpg"}));

        QTemporaryDir target;
        const QString folder = target.filePath(QStringLiteral("folder.htm"));
        QVERIFY(QDir().mkdir(folder));
        // No temporary file can be named beside a name this long.
        const QString longName = target.filePath(QString(250, QLatin1Char('p')) + ".htm");
        writeBytes(longName, "old page");
        pick(images.path());
        dialog.imageList->item(0)->setSelected(true);
        answers.saveFileAnswers << folder << longName;
        dialog.generateButton->click();
        dialog.generateButton->click();
        QCOMPARE(answers.messages.size(), 2);
        QCOMPARE(answers.messages.last().text + "|" + answers.messages.last().caption,
                 QStringLiteral("Unable to create web page.|Error"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(readBytes(longName), QByteArray("old page"));
        QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
    }

    // Every control is named for screen readers; the folder button has the
    // first focus; Enter that no control takes presses the check mark.
    void namedForScreenReadersWithTheCheckMarkAsDefault() {
        CImagePageDialog fresh;
        fresh.show();
        fresh.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fresh));
        QCOMPARE(testsupport::accessibilityFaults(fresh), QStringList());
        QVERIFY(fresh.folderButton->hasFocus());
        fresh.openCheck->setChecked(true);
        QTest::keyClick(fresh.titleEdit, Qt::Key_Return);
        QVERIFY(!fresh.isVisible() && fresh.result() == QDialog::Accepted);
        QCOMPARE(fresh.openWhenDone, 1);
    }
};

QUILLMAR_TEST_MAIN(ImagePageDialogTest)
#include "tst_imagepagedialog.moc"
