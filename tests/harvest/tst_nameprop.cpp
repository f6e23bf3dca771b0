#include "harvest/NameProp.h"
#include "support/TestMain.h"

class NamePropTest : public QObject {
    Q_OBJECT
private slots:
    void takesTheLastPathSegmentWithItsQuery() {
        const QList<std::pair<const char*, const char*>> cases = {
            {"http://example.org/a/b/photo.jpg", "photo.jpg"},
            {"http://example.org/cgi/show.php?id=3&size=2", "show.php?id=3&size=2"},
            {"http://example.org/p.gif?x=1#frag", "p.gif?x=1"},
            {"http://example.org/go.cgi?to=/pics/a.gif", "go.cgi?to=/pics/a.gif"},
            {"http://example.org/a.gif?", "a.gif"},
            {"http://example.org/pics/", ""},
            {"http://example.org", ""},
            {"http://example.org/my%20photo%2Fcut.jpg?q=%7e", "my%20photo%2Fcut.jpg?q=%7e"},
            {"file:///tmp/b\xc3\xa4r.png", "b\xc3\xa4r.png"},
            {"http://example.org/a:b/c:d.gif", "c:d.gif"},
            {"data:image/gif;base64,R0lGOD/lhAQAB", "lhAQAB"},
            {"data:text/plain,hello", "plain,hello"},
            {"javascript:show('/pics/a.gif')", "a.gif')"},
            {"mailto:someone@example.org?subject=hi", "someone@example.org?subject=hi"}};
        for (const auto& [address, name] : cases)
            QCOMPARE(NameProp(QString::fromUtf8(address)), QString::fromUtf8(name));
    }
};

QUILLMAR_TEST_MAIN(NamePropTest)
#include "tst_nameprop.moc"
