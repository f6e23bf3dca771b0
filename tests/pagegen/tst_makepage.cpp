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
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>

#include <memory>

using testsupport::testDataPath;

class MakePageTest : public QObject {
    Q_OBJECT

    static constexpr int timeout = 30000;

    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CDocTemplate> docTemplate;
    QTemporaryDir pictures;

    // A new browser window, once it shows the about page and its scan is listed.
    CQuillmarView* openView() {
        CChildFrame* child = docTemplate->OpenNewDocument(*frame);
        auto* view = child ? qobject_cast<CQuillmarView*>(child->View()) : nullptr;
        if (!view ||
            !QTest::qWaitFor(
                [view] { return !view->m_linkHistory.isEmpty() && !view->LoadInProgress(); },
                timeout))
            return nullptr;
        return view;
    }

    // Answers the generator dialog: optionally saves a page of every image in
    // the pictures folder, ticks the open box and leaves with OK or Cancel.
    static std::function<int(QDialog&)> answerDialog(testsupport::ScriptedPrompts& prompts,
                                                     const QString& pagePath, bool ok) {
        return [&prompts, pagePath, ok](QDialog& shown) {
            auto& dialog = static_cast<CImagePageDialog&>(shown);
            if (!pagePath.isEmpty()) {
                dialog.folderButton->click();
                dialog.imageList->selectAll();
                dialog.titleEdit->setText(QStringLiteral("Holiday"));
                prompts.saveFileAnswers << pagePath;
                dialog.generateButton->click();
            }
            dialog.openCheck->setChecked(true);
            (ok ? dialog.okButton : dialog.cancelButton)->click();
            return dialog.result();
        };
    }

    // The number of images the page shown has fully decoded.
    static int decodedImages(CQuillmarView* view) {
        int decoded = -1;
        view->Engine()->Page()->runJavaScript(
            QStringLiteral("Array.from(document.images).filter("
                           "i => i.complete && i.naturalWidth > 0).length"),
            [&decoded](const QVariant& result) { decoded = result.toInt(); });
        return QTest::qWaitFor([&decoded] { return decoded >= 0; }, timeout) ? decoded : -1;
    }

private slots:
    void initTestCase() {
        for (const char* name : {"blue.png", "my photo.jpg", "one.gif"}) {
            const QString file = QString::fromLatin1(name);
            QVERIFY(QFile::copy(testDataPath("pages/pictures/" + file), pictures.filePath(file)));
        }
        docTemplate = std::make_unique<CDocTemplate>(
            [](CQuillmarDoc* document) { return new CQuillmarView(document); });
        frame = std::make_unique<CMainFrame>();
        QVERIFY(frame->Create());
        CQuillmarApp::SetMainFrame(frame.get());
        frame->resize(1000, 700);
        frame->show();
        frame->activateWindow();
        // Only a browser window offers the command.
        QTRY_VERIFY(!frame->m_makePageButton->isEnabled());
    }

    void cleanupTestCase() {
        frame->MdiArea()->closeAllSubWindows();
        CQuillmarApp::SetMainFrame(nullptr);
        frame.reset();
        docTemplate.reset();
    }

    void okWithTheOpenBoxButNoPageSavedLoadsNothing() {
        CQuillmarView* view = openView();
        QVERIFY(view);
        QTRY_VERIFY(frame->m_makePageButton->isEnabled());
        const QStringList history = view->m_linkHistory;
        testsupport::ScriptedPrompts prompts;
        prompts.dialogDriver = answerDialog(prompts, QString(), true);
        QSignalSpy begin(view->Engine(), &CBrowserEngine::downloadBegin);

        frame->m_makePageButton->click();

        QCOMPARE(frame->m_addressBox->text(), QString());
        QTest::qWait(500);
        QCOMPARE(begin.count(), 0);
        QCOMPARE(view->m_linkHistory, history);
    }

    void cancelNeverOpensTheSavedPage() {
        CQuillmarView* view = openView();
        QVERIFY(view);
        const QString address = frame->m_addressBox->text();
        const QString page = pictures.filePath(QStringLiteral("cancelled.htm"));
        testsupport::ScriptedPrompts prompts;
        prompts.folderAnswers << pictures.path();
        prompts.dialogDriver = answerDialog(prompts, page, false);
        QSignalSpy begin(view->Engine(), &CBrowserEngine::downloadBegin);

        frame->m_makePageButton->click();

        QVERIFY(QFile::exists(page));
        QCOMPARE(frame->m_addressBox->text(), address);
        QTest::qWait(500);
        QCOMPARE(begin.count(), 0);
    }

    void okOpensTheSavedPageWithItsImagesInThisWindow() {
        CQuillmarView* other = openView();
        CQuillmarView* view = openView();
        QVERIFY(other && view);
        QCOMPARE(CQuillmarView::ActiveView(), view);
        const QString page = pictures.filePath(QStringLiteral("Images.htm"));
        testsupport::ScriptedPrompts prompts;
        prompts.folderAnswers << pictures.path();
        prompts.dialogDriver = answerDialog(prompts, page, true);
        QSignalSpy complete(view->Engine(), &CBrowserEngine::downloadComplete);

        frame->m_makePageButton->click();

        QVERIFY(complete.wait(timeout));
        QVERIFY(QTest::qWaitFor([view] { return !view->LoadInProgress(); }, timeout));
        QCOMPARE(view->Engine()->Location(), QUrl::fromLocalFile(page).toString());
        QCOMPARE(view->m_linkHistory.last(), QUrl::fromLocalFile(page).toString());
        QCOMPARE(view->Engine()->Page()->title(), QStringLiteral("Holiday"));
        QCOMPARE(frame->m_imageList->Lines(),
                 QStringList({"blue.png", "my%20photo.jpg", "one.gif"}));
        QCOMPARE(view->imageMap.size(), 3);
        QCOMPARE(view->imageMap.value(QStringLiteral("one.gif")),
                 QUrl::fromLocalFile(pictures.filePath(QStringLiteral("one.gif"))).toString());
        QCOMPARE(decodedImages(view), 3);
        QCOMPARE(other->m_linkHistory.size(), 1);
    }
};

QUILLMAR_ENGINE_TEST_MAIN(MakePageTest)
#include "tst_makepage.moc"
