#pragma once

#include "fetch/DownloadJob.h"
#include "harvest/DeepPageScan.h"
#include "harvest/HarvestLine.h"
#include "harvest/LineSource.h"
#include "harvest/PageScan.h"
#include "names/NameTemplate.h"
#include "records/SavedCheck.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSize>
#include <QUrl>

#include <vector>

class DownloadArchive;

// The page harvested lines were listed on, as the download requests present
// it: its address, the Referer policy it states and the browser's cookies.
struct JobOrigin {
    QUrl page;
    RefererPolicy policy;
    QList<QByteArray> cookieLines;
    QString title = QString(); // the page's title, for file names
};

// Turns harvested lines into the one DownloadJob the window and quillmar-harvest
// hand to a worker: each line's address once, a name shared by several
// addresses numbered, every request carrying the page's Referer and cookies;
// file: sources only from a file: page.
class JobBuilder {
public:
    JobBuilder(const JobOrigin& origin, const QString& folder, int parallel);

    // Names the files of lines added from now on by names, on the day date.
    void SetNames(const NameTemplate& names, const QDate& date);
    // The page and title lines added from now on were harvested from, where
    // that is not the origin's (each page of a run of several).
    void SetGallery(const QUrl& page, const QString& title);
    // Sizes of the lines, by address, for names and info files.
    void KnowSizes(const std::vector<DeepEntry>& details);

    // Appends lines in the order given; false when a line's address is not one
    // listed in map (the page was scanned again since), and the job is not to run.
    // A line taken from another page (sources) carries that page's Referer.
    // With the folder's record, every line is claimed for this job in it: a
    // line whose address it finds still saved is noted as already saved, one
    // another job or process is fetching as skipped, and neither is fetched.
    bool AddLines(const HarvestLines& lines, const HarvestMap& map, const LineSources& sources = {},
                  DownloadArchive* record = nullptr);
    // Appends one line listed on another page than the origin's (a followed
    // viewer page, another page of the same run): its requests carry that
    // page's Referer, and it may be a file: source only when that page is local.
    // viewerTitle: the title of page, when it is a viewer page.
    void AddLineFrom(const HarvestLine& line, const QUrl& page, const RefererPolicy& policy,
                     const QString& viewerTitle = QString());

    // Notes a line saved before as name, which is not fetched: kind says why,
    // and reason, where the kind's own does not.
    void AddNotFetched(const HarvestLine& line, const QString& name, DownloadCounts::Kind kind,
                       const QString& reason = QString());
    // Notes a line the records settled (SavedCheck), which is not fetched.
    void AddSettled(const HarvestLine& line, const SavedCheck::Settled& settled);
    // Notes a listed line the run's filters leave out, for the reason why.
    void AddLeftOut(const HarvestLine& line, const QString& why);

    // The reasons shown for a line not fetched.
    static QString InFolderReason() { return QStringLiteral("already in the folder"); }
    static QString InArchiveReason() { return QStringLiteral("in the archive record"); }
    static QString ElsewhereReason() { return QStringLiteral("another download is fetching it"); }
    static QString ReasonOf(const SavedCheck::Settled& settled);

    const DownloadJob& Job() const;
    // The files' names as they will be saved, "folder/name" each; a name
    // without a picture extension gets the one of the answer's type, which
    // only the answer tells, and says so.
    QStringList SavedNames() const;

private:
    void Add(const HarvestLine& line, const QUrl& page, const RefererPolicy& policy,
             const QString& viewerTitle);
    static QString WithListedExtension(const QString& name, const QString& listed);

    QString folder;
    DownloadJob job;
    NameTemplate names;
    QDate date;
    QUrl galleryPage;
    QString galleryTitle;
    QHash<QString, QSize> sizes;
};
