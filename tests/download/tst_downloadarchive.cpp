#include "core/DataFolder.h"
#include "download/ArchivingSink.h"
#include "download/DownloadArchive.h"
#include "support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Records what reaches it.
class NoteSink : public DownloadProgressSink {
public:
    QStringList notes;
    void AnimationStarted() override {}
    void AnimationStopped() override {}
    void FilesLeft(int) override {}
    void Message(const QString&) override {}
    void FileFinished(int index, const QString& name, bool saved, const QString&) override {
        notes << QStringLiteral("%1 %2 %3").arg(index).arg(name).arg(saved);
    }
};

} // namespace

// The record of saved files behind --archive and Skip Pictures Already Saved.
class DownloadArchiveTest : public QObject {
    Q_OBJECT
private slots:
    // Saved files are recorded as each is saved, failed ones never; a later run reads
    // the record back, names with spaces intact.
    void recordsEachSavedFileForTheNextRun() {
        QTemporaryDir folder;
        const QString path = folder.filePath("record/saved.txt");
        auto archive = std::make_shared<DownloadArchive>(path);
        auto* inner = new NoteSink;
        ArchivingSink sink(std::unique_ptr<DownloadProgressSink>(inner), archive,
                           {"http://h/a.jpg", "http://h/b.jpg", "http://h/c.jpg"});
        sink.FileFinished(0, "a.jpg", true, QString());
        sink.FileFinished(1, "b.jpg", false, "server answered 404");
        sink.FileFinished(2, "my c (2).jpg", true, QString());
        QCOMPARE(inner->notes, (QStringList{"0 a.jpg 1", "1 b.jpg 0", "2 my c (2).jpg 1"}));

        DownloadArchive again(path);
        QString error;
        QVERIFY(again.Load(error));
        QCOMPARE(again.SavedName("http://h/c.jpg"), "my c (2).jpg");
        QCOMPARE(again.SavedName("http://h/b.jpg"), QString());
        const HarvestLines unsaved =
            again.Unsaved({{"a.jpg", "http://h/a.jpg"}, {"b.jpg", "http://h/b.jpg"}});
        QCOMPARE(unsaved, (HarvestLines{{"b.jpg", "http://h/b.jpg"}}));
    }

    // The window keeps one record per download folder in its own data folder.
    void theWindowsRecordLivesOutsideThePictureFolder() {
        QTemporaryDir pictures;
        const auto first = DownloadArchive::ForFolder(pictures.path());
        QVERIFY(first->Path().startsWith(DataFolder::Path() + "/"));
        QCOMPARE(DownloadArchive::ForFolder(pictures.path() + "/")->Path(), first->Path());
        QVERIFY(DownloadArchive::ForFolder(pictures.path() + "/other")->Path() != first->Path());
        QVERIFY(first->Record("http://h/a.jpg", "a.jpg"));
        QCOMPARE(DownloadArchive::ForFolder(pictures.path())->SavedName("http://h/a.jpg"), "a.jpg");
        QCOMPARE(QDir(pictures.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }
};

QUILLMAR_TEST_MAIN(DownloadArchiveTest)
#include "tst_downloadarchive.moc"
