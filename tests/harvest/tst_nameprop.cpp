#include "harvest/NameProp.h"
#include "support/TestMain.h"

class NamePropTest : public QObject {
    Q_OBJECT
private slots:
    void takesTheLastPathSegmentWithItsQuery_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("name");
        QTest::newRow("file in folders") << "http://example.org/a/b/photo.jpg"
                                         << "photo.jpg";
        QTest::newRow("query kept") << "http://example.org/cgi/show.php?id=3&size=2"
                                    << "show.php?id=3&size=2";
        QTest::newRow("fragment dropped") << "http://example.org/a/photo.jpg#top"
                                          << "photo.jpg";
        QTest::newRow("query kept, fragment dropped") << "http://example.org/p.gif?x=1#frag"
                                                      << "p.gif?x=1";
        QTest::newRow("slash in the query") << "http://example.org/go.cgi?to=/pics/a.gif"
                                            << "go.cgi?to=/pics/a.gif";
        QTest::newRow("empty query") << "http://example.org/a.gif?"
                                     << "a.gif";
        QTest::newRow("trailing slash") << "http://example.org/pics/"
                                        << "";
        QTest::newRow("no path at all") << "http://example.org"
                                        << "";
        QTest::newRow("encoding kept") << "http://example.org/my%20photo%2Fcut.jpg"
                                       << "my%20photo%2Fcut.jpg";
        QTest::newRow("encoded letters stay encoded") << "http://example.org/%41.gif?q=%7e"
                                                      << "%41.gif?q=%7e";
        QTest::newRow("raw non-ASCII kept") << QString::fromUtf8("file:///tmp/b\xc3\xa4r.png")
                                            << QString::fromUtf8("b\xc3\xa4r.png");
        QTest::newRow("colon in the path") << "http://example.org/a:b/c:d.gif"
                                           << "c:d.gif";
        QTest::newRow("data address") << "data:image/gif;base64,R0lGOD/lhAQAB"
                                      << "lhAQAB";
        QTest::newRow("data address without slash in its data") << "data:text/plain,hello"
                                                                << "plain,hello";
        QTest::newRow("script address") << "javascript:void(0)"
                                        << "void(0)";
        QTest::newRow("script address with a path") << "javascript:show('/pics/a.gif')"
                                                    << "a.gif')";
        QTest::newRow("mail address") << "mailto:someone@example.org?subject=hi"
                                      << "someone@example.org?subject=hi";
    }
    void takesTheLastPathSegmentWithItsQuery() {
        QFETCH(QString, address);
        QFETCH(QString, name);
        QCOMPARE(NameProp(address), name);
    }
};

QUILLMAR_TEST_MAIN(NamePropTest)
#include "tst_nameprop.moc"
