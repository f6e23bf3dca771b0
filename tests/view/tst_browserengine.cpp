#include "support/TestMain.h"
#include "view/CBrowserEngine.h"

#include <QSignalSpy>
#include <QUrl>
#include <QWebEnginePage>

class BrowserEngineTest : public QObject {
    Q_OBJECT
private:
    static constexpr int loadTimeout = 30000;

    static PageSnapshot snapshotOf(CBrowserEngine& engine) {
        std::optional<PageSnapshot> snapshot;
        engine.TakeSnapshot([&snapshot](const PageSnapshot& taken) { snapshot = taken; });
        [&] { QTRY_VERIFY_WITH_TIMEOUT(snapshot.has_value(), loadTimeout); }();
        return snapshot.value_or(PageSnapshot());
    }

    static bool load(CBrowserEngine& engine, const QString& address) {
        QSignalSpy complete(&engine, &CBrowserEngine::downloadComplete);
        engine.Navigate(address);
        return complete.wait(loadTimeout) && complete.first().first().toBool();
    }

private slots:
    void aboutPageIsTitledQuillmar() {
        CBrowserEngine engine;
        QSignalSpy complete(&engine, &CBrowserEngine::downloadComplete);
        engine.LoadAboutPage();
        QVERIFY(complete.wait(loadTimeout));
        QCOMPARE(complete.first().first().toBool(), true);
        QCOMPARE(engine.Page()->title(), QStringLiteral("Quillmar"));
        const PageSnapshot snapshot = snapshotOf(engine);
        QCOMPARE(snapshot.contentType, QStringLiteral("text/html"));
        QVERIFY(snapshot.document.has_value());
        QCOMPARE(snapshot.document->links.size(), size_t(1));
        QCOMPARE(snapshot.document->links[0].href, QStringLiteral("mailto:quillmar@example.org"));
    }

    void snapshotListsLinksAndImages() {
        CBrowserEngine engine;
        const QString page = testsupport::testDataPath(QStringLiteral("pages/plain.html"));
        QVERIFY(load(engine, page));
        const PageSnapshot snapshot = snapshotOf(engine);
        QVERIFY(snapshot.document.has_value());
        const QString base = QUrl::fromLocalFile(testsupport::testDataPath("pages/")).toString();
        QCOMPARE(snapshot.document->images.size(), size_t(2));
        QCOMPARE(snapshot.document->images[0].src, base + "pictures/red.gif");
        QCOMPARE(snapshot.document->links[0].href, base + "pictures/big.jpg");
        QCOMPARE(snapshot.document->links[0].tagName, QStringLiteral("A"));
    }
};

QUILLMAR_ENGINE_TEST_MAIN(BrowserEngineTest)
#include "tst_browserengine.moc"
