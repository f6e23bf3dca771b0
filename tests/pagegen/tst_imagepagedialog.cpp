#include "controls/CBitmapButton.h"
#include "pagegen/CImagePageDialog.h"
#include "pagegen/CImagePageWriter.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

namespace {

// Scripted answers that, like some platform pickers, leave the process in
// another folder, and note which of the dialog's buttons were usable meanwhile.
class WanderingPrompts : public testsupport::ScriptedPrompts {
public:
    QString wanderTo = QDir::rootPath();
    const CImagePageDialog* dialog = nullptr;
    QList<bool> pickAndCloseEnabledDuringPick;

    QString chooseFolder(QWidget* owner) override {
        if (dialog)
            pickAndCloseEnabledDuringPick
                << (dialog->folderButton->isEnabled() || dialog->okButton->isEnabled() ||
                    dialog->cancelButton->isEnabled());
        QDir::setCurrent(wanderTo);
        return ScriptedPrompts::chooseFolder(owner);
    }
    QString chooseSaveFile(QWidget* owner, const QString& startFolder, const QString& defaultName,
                           const QString& defaultSuffix, const QString& filter) override {
        QDir::setCurrent(wanderTo);
        return ScriptedPrompts::chooseSaveFile(owner, startFolder, defaultName, defaultSuffix,
                                               filter);
    }
};

void touch(const QString& path, const QByteArray& content = "x") {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList listed(const QListWidget* list) {
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    return names;
}

QByteArray expectedPage(const QString& title, const QStringList& images) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CImagePageWriter(buffer).WritePage(title, images);
    return buffer.data();
}

} // namespace

class ImagePageDialogTest : public QObject {
    Q_OBJECT

    QString startFolder;
    QTemporaryDir images;

    // A dialog showing the test folder's images, after a pick.
    void pickImages(CImagePageDialog& dialog, WanderingPrompts& prompts) {
        prompts.folderAnswers << images.path();
        dialog.folderButton->click();
    }

private slots:
    void initTestCase() {
        QVERIFY(images.isValid());
        for (const char* name : {"c.png", "a.GIF", "B.jpg", "b.jpeg", "d.txt", "x.gif.bak", ".gif"})
            touch(images.filePath(QString::fromLatin1(name)));
        QVERIFY(QDir(images.path()).mkdir(QStringLiteral("folder.png")));
    }

    void init() { startFolder = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(startFolder); }

    void pickOffersOnlyGifJpgAndPngFilesByName() {
        WanderingPrompts prompts;
        CImagePageDialog dialog;
        prompts.dialog = &dialog;
        pickImages(dialog, prompts);

        QCOMPARE(listed(dialog.imageList), QStringList({"a.GIF", "B.jpg", "c.png"}));
        QCOMPARE(dialog.imageFolder, images.path());
        QVERIFY(dialog.folderListing.contains(QStringLiteral("d.txt")));
        QVERIFY(!dialog.folderListing.contains(QStringLiteral("folder.png")));
        QCOMPARE(prompts.pickAndCloseEnabledDuringPick, QList<bool>({false}));
        QVERIFY(dialog.folderButton->isEnabled() && dialog.okButton->isEnabled() &&
                dialog.cancelButton->isEnabled());
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void aNewPickReplacesTheListAndACancelledPickKeepsIt() {
        QTemporaryDir other;
        touch(other.filePath(QStringLiteral("z.jpg")));
        WanderingPrompts prompts;
        CImagePageDialog dialog;
        pickImages(dialog, prompts);
        prompts.folderAnswers << other.path();
        dialog.folderButton->click();
        QCOMPARE(listed(dialog.imageList), QStringList({"z.jpg"}));

        dialog.imageList->item(0)->setSelected(true);
        dialog.folderButton->click(); // cancelled
        QCOMPARE(prompts.folderRequests, 3);
        QVERIFY(dialog.imageFolder.isEmpty());
        QCOMPARE(listed(dialog.imageList), QStringList({"z.jpg"}));
        QVERIFY(dialog.imageList->item(0)->isSelected());
        QVERIFY(dialog.okButton->isEnabled());

        // With no image folder known, saving starts where the process is.
        dialog.generateButton->click();
        QCOMPARE(prompts.saveFileStartFolders, QStringList({startFolder}));
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void generateWithNothingSelectedAsksNothing() {
        WanderingPrompts prompts;
        CImagePageDialog dialog;
        pickImages(dialog, prompts);
        dialog.generateButton->click();
        QVERIFY(prompts.saveFileStartFolders.isEmpty());
        QVERIFY(prompts.messages.isEmpty());
        QVERIFY(dialog.pagePath.isEmpty());
    }

    void generateSavesTheSelectedImagesTopToBottom() {
        WanderingPrompts prompts;
        CImagePageDialog dialog;
        pickImages(dialog, prompts);
        dialog.imageList->item(2)->setSelected(true);
        dialog.imageList->item(0)->setSelected(true);
        dialog.titleEdit->setText(QStringLiteral("Holiday & <friends>"));
        const QString page = images.filePath(QStringLiteral("Images.htm"));
        prompts.saveFileAnswers << page;

        dialog.generateButton->click();

        QCOMPARE(prompts.saveFileStartFolders, QStringList({images.path()}));
        QCOMPARE(dialog.pagePath, page);
        QCOMPARE(readFile(page), expectedPage(QStringLiteral("Holiday & <friends>"),
                                              {QStringLiteral("a.GIF"), QStringLiteral("c.png")}));
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(QDir::currentPath(), startFolder);

        // Saving again over the same page replaces it; a cancelled save keeps everything.
        dialog.imageList->item(0)->setSelected(false);
        prompts.saveFileAnswers << page;
        dialog.generateButton->click();
        QCOMPARE(readFile(page),
                 expectedPage(QStringLiteral("Holiday & <friends>"), {QStringLiteral("c.png")}));
        dialog.generateButton->click(); // cancelled
        QCOMPARE(prompts.saveFileStartFolders.size(), 3);
        QCOMPARE(dialog.pagePath, page);
        QCOMPARE(readFile(page),
                 expectedPage(QStringLiteral("Holiday & <friends>"), {QStringLiteral("c.png")}));
    }

    void aPageThatCannotBeWrittenIsReportedAndTheOldOneKept() {
        QTemporaryDir target;
        // The target is a folder.
        const QString folderTarget = target.filePath(QStringLiteral("taken.htm"));
        QVERIFY(QDir(target.path()).mkdir(QStringLiteral("taken.htm")));
        // The target exists, but no temporary file beside it can be named.
        const QString longTarget = target.filePath(QString(250, QLatin1Char('p')) + ".htm");
        touch(longTarget, "old page");
        QVERIFY(QFile::exists(longTarget));

        WanderingPrompts prompts;
        CImagePageDialog dialog;
        pickImages(dialog, prompts);
        dialog.imageList->item(1)->setSelected(true);
        prompts.saveFileAnswers << folderTarget << longTarget;
        dialog.generateButton->click();
        dialog.generateButton->click();

        QCOMPARE(prompts.messages.size(), 2);
        for (const auto& message : std::as_const(prompts.messages)) {
            QCOMPARE(message.text, QStringLiteral("Unable to create web page."));
            QCOMPARE(message.caption, QStringLiteral("Error"));
        }
        QVERIFY(QFileInfo(folderTarget).isDir());
        QCOMPARE(readFile(longTarget), QByteArray("old page"));
        QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 2);
        QCOMPARE(dialog.pagePath, longTarget);
        QCOMPARE(QDir::currentPath(), startFolder);
    }

    void okReportsTheCheckBoxAndCancelRejects() {
        WanderingPrompts prompts;
        for (const bool ticked : {true, false}) {
            CImagePageDialog dialog;
            prompts.dialogDriver = [&](QDialog&) {
                dialog.openCheck->setChecked(ticked);
                dialog.okButton->click();
                return dialog.result();
            };
            QCOMPARE(Prompts::current().runModal(dialog), int(QDialog::Accepted));
            QCOMPARE(dialog.openWhenDone, ticked ? 1 : 0);
        }
        CImagePageDialog dialog;
        prompts.dialogDriver = [&](QDialog&) {
            dialog.openCheck->setChecked(true);
            dialog.cancelButton->click();
            return dialog.result();
        };
        QCOMPARE(Prompts::current().runModal(dialog), int(QDialog::Rejected));
        QCOMPARE(dialog.openWhenDone, 0);
    }

    void opensAtTheMousePointerWithItsTitleLimitedAndTips() {
        CImagePageDialog dialog;
        const QPoint pointer(250, 200);
        QCursor::setPos(pointer);
        dialog.show();
        // Within the width of a window frame.
        QVERIFY((dialog.geometry().center() - pointer).manhattanLength() <= 8);
        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 4);
        for (const QLabel* label : labels)
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        QTest::keyClicks(dialog.titleEdit, QString(250, QLatin1Char('t')));
        QCOMPARE(dialog.titleEdit->text().size(), 200);
        QCOMPARE(dialog.folderButton->toolTip(), QStringLiteral("Image Folder Selection"));
        QCOMPARE(dialog.okButton->toolTip(), QStringLiteral("Select"));
        QCOMPARE(dialog.openCheck->toolTip(), QStringLiteral("Open Page"));
    }
};

QUILLMAR_TEST_MAIN(ImagePageDialogTest)
#include "tst_imagepagedialog.moc"
