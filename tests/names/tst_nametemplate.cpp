#include "downloads/JobBuilder.h"
#include "names/NameTemplate.h"
#include "support/TestMain.h"

#include <QDir>

// Name templates against the fields of one line, and their refusals.
class NameTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void namesEachLineInsideTheFolder_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("viewer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("number");
        // "folder|name", or the start of the refusal after "refused: ".
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* tag, const QString& text, const QString& expected,
                            const QString& title = "Summer", const QString& viewer = QString(),
                            const QString& name = "a8f3e1.jpg", int width = 1200, int number = 7) {
            QTest::newRow(tag) << text << title << viewer << name << width << number << expected;
        };
        row("default", "{name}.{ext}", "|a8f3e1.jpg");
        row("numbered by site and title", "{site}/{title}/{num:03}-{name}.{ext}",
            "example.com/Summer|007-a8f3e1.jpg");
        row("number wider than its padding", "{num:02}_{name}", "|1234_a8f3e1", "Summer", "",
            "a8f3e1.jpg", 1200, 1234);
        row("size and day", "{w}x{h}/{date}.{ext}", "1200x800|2026-12-08.jpg");
        row("unknown size collapses", "{w}x{h}/{name}-{w}x{h}.{ext}", "|a8f3e1.jpg", "Summer", "",
            "a8f3e1.jpg", 0);
        row("empty title leaves no folder", "{site}/{title}/{name}.{ext}", "example.com|a8f3e1.jpg",
            "");
        row("no extension", "{num}-{name}.{ext}", "|7-photo", "Summer", "", "photo");
        row("viewer page's title", "{viewer}/{name}.{ext}", "View 3|a8f3e1.jpg", "Summer",
            "View 3");
        row("page's title without a viewer", "{viewer}/{name}.{ext}", "Summer|a8f3e1.jpg");
        row("slashes and dots of a title", "{title}/{name}.{ext}", "_.._etc|a8f3e1.jpg",
            "../../etc");
        row("title of dots only", "{title}/{name}.{ext}", "_|a8f3e1.jpg", "..");
        row("bidi and control characters", "{title}/{name}.{ext}", "a_b_c|a8f3e1.jpg",
            QString("a\u202Eb\tc"));
        row("long title cut to the folder limit", "{title}/{name}.{ext}",
            QString(127, QChar(0xe9)) + "|a8f3e1.jpg", QString(300, QChar(0xe9)));
        row("hidden name from an empty stem", "{title}{ext}", "|jpg", "");
        for (const auto& [tag, text, why] :
             std::initializer_list<std::tuple<const char*, QString, QString>>{
                 {"climbing", "../{name}.{ext}", "A name template may not hold \"..\""},
                 {"climbing inside", "{site}/../../etc/{name}",
                  "A name template may not hold \"..\""},
                 {"from the root", "/tmp/{name}.{ext}", "A name template starts inside the folder"},
                 {"empty", " ", "The name template is empty."},
                 {"empty folder", "{site}//{name}", "A name template may not have an empty folder"},
                 {"folder only", "{site}/", "A name template may not have an empty folder"},
                 {"dot folder", "./{name}", "A name template may not have an empty folder"},
                 {"unknown field", "{nope}.{ext}", "Unknown field in the name template: {nope}"},
                 {"unclosed field", "{num:03",
                  "A field of the name template is not closed: {num:03"},
                 {"unclosed after others", "{site}/{name}-{num",
                  "A field of the name template is not closed: {num"},
                 {"width without its zero", "{num:3}",
                  "A field's width is written as in {num:03}, not {num:3}"},
                 {"width on a text field", "{name:03}", "Only {num} takes a width"},
                 {"lone brace", "a}b", "A \"}\" in the name template closes no field."},
                 {"control character", "{name}\t.{ext}", "A name template may not hold control"},
                 {"too deep", "a/b/c/d/e/f/g/h/i/{name}",
                  "A name template makes at most 8 folders."}})
            row(tag, text, "refused: " + why);
    }
    void namesEachLineInsideTheFolder() {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, viewer);
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(int, number);
        QFETCH(QString, expected);
        const QString refusal = NameTemplate::Refusal(text);
        if (expected.startsWith("refused: ")) {
            QVERIFY2(refusal.startsWith(expected.mid(9)), qPrintable(refusal));
            QVERIFY(!refusal.contains('\n'));
            QVERIFY(NameTemplate(text).IsDefault());
            return;
        }
        QCOMPARE(refusal, QString());
        const NameTemplate names(text);
        const NameTemplate::Placement placed =
            names.Apply({name, QUrl("https://www.Example.com/g/1.html"), title, viewer, width,
                         width ? 800 : 0, number, QDate(2026, 12, 8)});
        QCOMPARE(placed.subfolder + '|' + placed.name, expected);
    }

    // Names a template gives twice are numbered within their folder; a line's
    // number is its place in the job, lines noted as saved before included.
    void jobsNumberAndPlaceTemplatedNames() {
        JobBuilder builder({QUrl("http://www.example.com/g.html"), RefererPolicy(), {}, "Trip"},
                           "/saved", 1);
        builder.SetNames(NameTemplate("{site}/{num}-{title}.{ext}"), QDate(2026, 1, 1));
        builder.AddLineFrom({"a.jpg", "http://example.com/1/a.jpg"}, QUrl(), RefererPolicy());
        builder.AddNotFetched({"b.jpg", "http://example.com/b.jpg"}, "b.jpg",
                              DownloadCounts::Kind::AlreadySaved);
        builder.SetNames(NameTemplate("{site}/{title}.{ext}"), QDate(2026, 1, 1));
        builder.AddLineFrom({"a.jpg", "http://example.com/2/a.jpg"}, QUrl(), RefererPolicy());
        builder.AddLineFrom({"a.jpg", "http://example.com/3/a.jpg"}, QUrl(), RefererPolicy());
        QStringList placed;
        for (const DownloadEntry& entry : builder.Job().Entries)
            placed << entry.Subfolder + '|' + entry.Name + '|' + entry.Destination;
        QCOMPARE(placed, (QStringList{"example.com|1-Trip.jpg|/saved/example.com/1-Trip.jpg",
                                      "example.com|Trip.jpg|/saved/example.com/Trip.jpg",
                                      "example.com|Trip (2).jpg|/saved/example.com/Trip (2).jpg"}));
    }
};

QUILLMAR_TEST_MAIN(NameTemplateTest)
#include "tst_nametemplate.moc"
