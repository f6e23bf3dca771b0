#include "engine/LocalFileGuard.h"
#include "support/TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

using Type = QWebEngineUrlRequestInfo::ResourceType;

class LocalFileGuardTest : public QObject {
    Q_OBJECT
private slots:
    void localPagesShowFilesButReadNone_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("allowed");
        const auto row = [](const char* name, Type type, const char* target, bool allowed) {
            QTest::newRow(name) << int(type) << QString::fromUtf8(target) << allowed;
        };
        const char* secret = "file:///home/reader/.ssh/id_ed25519";
        row("the page itself", Type::ResourceTypeMainFrame, secret, true);
        // What a page only shows loads whatever its name.
        row("picture", Type::ResourceTypeImage, "file:///p/my%20photo.jpg", true);
        row("picture of any name", Type::ResourceTypeImage, secret, true);
        row("media", Type::ResourceTypeMedia, "file:///p/clip.webm", true);
        row("font", Type::ResourceTypeFontResource, "file:///p/face.woff2", true);
        row("favicon", Type::ResourceTypeFavicon, "file:///p/favicon.ico", true);
        // What a page can read back loads only when its name says what it is.
        row("style sheet", Type::ResourceTypeStylesheet, "file:///p/Site.CSS", true);
        row("text as style sheet", Type::ResourceTypeStylesheet, "file:///p/notes.txt", false);
        row("script", Type::ResourceTypeScript, "file:///p/lib.js", true);
        row("module", Type::ResourceTypeScript, "file:///p/main.mjs", true);
        row("text as script", Type::ResourceTypeScript, secret, false);
        row("script name in the query", Type::ResourceTypeScript, "file:///p/notes.txt?.js", false);
        row("script name in the fragment", Type::ResourceTypeScript, "file:///p/a.txt#.js", false);
        row("frame", Type::ResourceTypeSubFrame, "file:///p/inner.htm", true);
        row("object", Type::ResourceTypeObject, "file:///p/page.XHTML", true);
        row("text in a frame", Type::ResourceTypeSubFrame, "file:///p/notes.txt", false);
        row("folder in a frame", Type::ResourceTypeSubFrame, "file:///home/reader/.ssh/", false);
        row("text in an object", Type::ResourceTypeObject, secret, false);
        // Requests whose answer the page's scripts read are refused, even for a page.
        row("data request", Type::ResourceTypeXhr, "file:///p/inner.html", false);
        row("worker", Type::ResourceTypeWorker, "file:///p/lib.js", false);
        row("shared worker", Type::ResourceTypeSharedWorker, "file:///p/lib.js", false);
        row("service worker", Type::ResourceTypeServiceWorker, "file:///p/lib.js", false);
        row("prefetch", Type::ResourceTypePrefetch, "file:///p/photo.jpg", false);
        row("other", Type::ResourceTypeSubResource, "file:///p/photo.jpg", false);
        row("plugin", Type::ResourceTypePluginResource, "file:///p/photo.jpg", false);
        row("unknown", Type::ResourceTypeUnknown, "file:///p/photo.jpg", false);
        // Network addresses are not the guard's business.
        row("data request over the network", Type::ResourceTypeXhr, "http://a.test/x.txt", true);
        row("worker over the network", Type::ResourceTypeWorker, "https://a.test/w", true);
    }
    void localPagesShowFilesButReadNone() {
        QFETCH(int, type);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        QCOMPARE(LocalFileGuard::Allows(Type(type), QUrl(target)), allowed);
    }

    // A file named as a page that is a link counts as what it leads to.
    void linksCountAsTheFileTheyLeadTo() {
        QTemporaryDir folder;
        const QString secret = folder.filePath("secret.txt"), page = folder.filePath("page.html");
        QVERIFY(QFile(secret).open(QIODevice::WriteOnly) && QFile(page).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(secret, folder.filePath("frame.html")) &&
                QFile::link(page, folder.filePath("other.htm")));
        const auto frame = [&folder](const char* name) {
            return LocalFileGuard::Allows(Type::ResourceTypeSubFrame,
                                          QUrl::fromLocalFile(folder.filePath(name)));
        };
        QVERIFY(!frame("frame.html"));
        QVERIFY(frame("other.htm") && frame("page.html"));
    }
};

QUILLMAR_TEST_MAIN(LocalFileGuardTest)
#include "tst_localfileguard.moc"
