#include "controls/CBitmapButton.h"
#include "pagegen/CImagePageDialog.h"
#include "pagegen/CImagePageWriter.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QBuffer>
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

    QString chooseFolder(QWidget* owner) override {
        usableDuringPick |= dialog->folderButton->isEnabled() || dialog->okButton->isEnabled() ||
                            dialog->cancelButton->isEnabled();
        QDir::setCurrent(QDir::rootPath());
        return ScriptedPrompts::chooseFolder(owner);
    }
    QString chooseSaveFile(QWidget* owner, const QString& start, const QString& name,
                           const QString& suffix, const QString& filter) override {
        QDir::setCurrent(QDir::rootPath());
        return ScriptedPrompts::chooseSaveFile(owner, start, name, suffix, filter);
    }
};

void write(const QString& path, const QByteArray& content = "x") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList lines(const QListWidget* list) {
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    return names;
}

QByteArray page(const QString& title, const QStringList& images) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CImagePageWriter(buffer).WritePage(title, images);
    return buffer.data();
}

} // namespace

class ImagePageDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir images;
    QString startFolder = QDir::currentPath();
    std::unique_ptr<WanderingPrompts> answers;
    std::unique_ptr<CImagePageDialog> dialog;

    void pick(const QString& folder) {
        answers->folderAnswers << folder;
        dialog->folderButton->click();
    }

private slots:
    void initTestCase() {
        for (const char* name : {"c.png", "a.GIF", "B.jpg", "b.jpeg", "d.txt", "x.gif.bak", ".gif"})
            write(images.filePath(QString::fromLatin1(name)));
        QVERIFY(QDir(images.path()).mkdir(QStringLiteral("folder.png")));
    }
    void init() {
        answers.reset();
        answers = std::make_unique<WanderingPrompts>();
        dialog = std::make_unique<CImagePageDialog>();
        answers->dialog = dialog.get();
    }

    void pickOffersGifJpgAndPngFilesAndACancelledPickKeepsThem() {
        QTemporaryDir other;
        write(other.filePath(QStringLiteral("z.jpg")));
        pick(other.path());
        pick(images.path());
        QCOMPARE(lines(dialog->imageList), QStringList({"a.GIF", "B.jpg", "c.png"}));
        QCOMPARE(dialog->imageFolder, images.path());
        QVERIFY(!answers->usableDuringPick);
        QVERIFY(dialog->folderButton->isEnabled() && dialog->okButton->isEnabled() &&
                dialog->cancelButton->isEnabled());

        dialog->imageList->item(1)->setSelected(true);
        pick(QString());
        QVERIFY(dialog->imageFolder.isEmpty());
        QCOMPARE(lines(dialog->imageList), QStringList({"a.GIF", "B.jpg", "c.png"}));
        dialog->generateButton->click(); // without an image folder, saving starts here
        QCOMPARE(answers->saveFileStartFolders, QStringList({startFolder}));
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void generateSavesTheSelectionTopToBottom() {
        pick(images.path());
        dialog->generateButton->click();
        QVERIFY(answers->saveFileStartFolders.isEmpty()); // nothing selected, nothing asked

        dialog->imageList->item(2)->setSelected(true);
        dialog->imageList->item(0)->setSelected(true);
        dialog->titleEdit->setText(QStringLiteral("Holiday & <friends>"));
        const QString path = images.filePath(QStringLiteral("Images.htm"));
        answers->saveFileAnswers << path;
        dialog->generateButton->click();
        dialog->generateButton->click(); // cancelled
        QCOMPARE(answers->saveFileStartFolders, QStringList(2, images.path()));
        QCOMPARE(dialog->pagePath, path);
        QCOMPARE(read(path), page(QStringLiteral("Holiday & <friends>"), {"a.GIF", "c.png"}));
        QVERIFY(answers->messages.isEmpty());
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void aPageThatCannotBeWrittenIsReportedAndTheOldOneKept() {
        QTemporaryDir target;
        const QString folder = target.filePath(QStringLiteral("folder.htm"));
        QVERIFY(QDir().mkdir(folder));
        // No temporary file can be named beside a name this long.
        const QString longName = target.filePath(QString(250, QLatin1Char('p')) + ".htm");
        write(longName, "old page");
        pick(images.path());
        dialog->imageList->item(0)->setSelected(true);
        answers->saveFileAnswers << folder << longName;
        dialog->generateButton->click();
        dialog->generateButton->click();

        QCOMPARE(answers->messages.size(), 2);
        QCOMPARE(answers->messages.last().text, QStringLiteral("Unable to create web page."));
        QCOMPARE(answers->messages.last().caption, QStringLiteral("Error"));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(read(longName), QByteArray("old page"));
        QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
    }

    void opensAtThePointerWithLabelsThatFit() {
        const QPoint pointer(250, 200);
        QCursor::setPos(pointer);
        dialog->show();
        QVERIFY((dialog->geometry().center() - pointer).manhattanLength() <= 8); // frame width
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
    }
};

QUILLMAR_TEST_MAIN(ImagePageDialogTest)
#include "tst_imagepagedialog.moc"
