#include "app/CChildFrame.h"
#include "app/CDocTemplate.h"
#include "app/CQuillmarApp.h"
#include "controls/CAddressEdit.h"
#include "controls/CBitmapButton.h"
#include "frame/CMainFrame.h"
#include "harvest/CHarvestList.h"
#include "pagegen/CImagePageDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TestMain.h"
#include "view/CBrowserEngine.h"
#include "view/CQuillmarView.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>

class MakePageTest : public QObject {
    Q_OBJECT

    static constexpr int timeout = 30000;
    CDocTemplate docTemplate{[](CQuillmarDoc* document) { return new CQuillmarView(document); }};
    std::unique_ptr<CMainFrame> frame;
    QTemporaryDir pictures;
    CQuillmarView* view = nullptr;

    // Runs the command; the dialog saves a page of every picture when given a
    // path, ticks the open box and ends with OK or Cancel.
    void makePage(const QString& pagePath, bool ok) {
        testsupport::ScriptedPrompts prompts;
        prompts.folderAnswers << pictures.path();
        prompts.saveFileAnswers << pagePath;
        prompts.dialogDriver = [&](QDialog& shown) {
            auto& dialog = static_cast<CImagePageDialog&>(shown);
            if (!pagePath.isEmpty()) {
                dialog.folderButton->click();
                dialog.imageList->selectAll();
                dialog.titleEdit->setText(QStringLiteral("Holiday"));
                dialog.generateButton->click();
            }
            dialog.openCheck->setChecked(true);
            (ok ? dialog.okButton : dialog.cancelButton)->click();
            return dialog.result();
        };
        frame->m_makePageButton->click();
    }

private slots:
    void initTestCase() {
        for (const QString name : {"blue.png", "my photo.jpg", "one.gif"})
            QVERIFY(QFile::copy(testsupport::testDataPath("pages/pictures/" + name),
                                pictures.filePath(name)));
        frame = std::make_unique<CMainFrame>();
        QVERIFY(frame->Create());
        CQuillmarApp::SetMainFrame(frame.get());
        frame->show();
        QTRY_VERIFY(!frame->m_makePageButton->isEnabled()); // no browser window yet
        view = qobject_cast<CQuillmarView*>(docTemplate.OpenNewDocument(*frame)->View());
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(!view->m_linkHistory.isEmpty() && !view->LoadInProgress(),
                                 timeout);
        QTRY_VERIFY(frame->m_makePageButton->isEnabled());
    }

    void cleanupTestCase() {
        frame->MdiArea()->closeAllSubWindows();
        CQuillmarApp::SetMainFrame(nullptr);
        frame.reset();
    }

    void okOpensTheSavedPageAndListsItsImagesButNothingElseOpens() {
        QSignalSpy begin(view->Engine(), &CBrowserEngine::downloadBegin);
        makePage(QString(), true);
        const QString cancelled = pictures.filePath(QStringLiteral("cancelled.htm"));
        makePage(cancelled, false);
        QVERIFY(QFile::exists(cancelled));
        QTest::qWait(500);
        QCOMPARE(begin.count(), 0);
        QCOMPARE(frame->m_addressBox->text(), QString());

        const QString page = pictures.filePath(QStringLiteral("Images.htm"));
        makePage(page, true);
        QTRY_VERIFY_WITH_TIMEOUT(begin.count() && !view->LoadInProgress(), timeout);
        QCOMPARE(view->m_linkHistory.last(), QUrl::fromLocalFile(page).toString());
        QCOMPARE(view->Engine()->Page()->title(), QStringLiteral("Holiday"));
        QCOMPARE(frame->m_imageList->Lines(),
                 QStringList({"blue.png", "my%20photo.jpg", "one.gif"}));
        int decoded = -1;
        view->Engine()->Page()->runJavaScript(
            "Array.from(document.images).filter(i => i.naturalWidth > 0).length",
            [&decoded](const QVariant& count) { decoded = count.toInt(); });
        QTRY_COMPARE_WITH_TIMEOUT(decoded, 3, timeout);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(MakePageTest)
#include "tst_makepage.moc"
