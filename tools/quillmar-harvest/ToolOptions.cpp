#include "ToolOptions.h"

#include <QCommandLineParser>

namespace {

using Subject = ToolOption::Subject;

const char* const pickingNeedsDownload = "--images, --links and --match need --download";

// In the order of the usage text, grouped by subject.
const ToolOption rows[] = {
    {Subject::Scan, "timeout", "SECONDS",
     "wait up to SECONDS for each page, 1 to 86400 (default 30)"},
    {Subject::Scan, "deep", "",
     "Deep Scan: srcset, lazy loaders, CSS backgrounds, shadow roots, frames of any origin, ..."},
    {Subject::Scan, "scroll", "",
     "scroll to the page's end first, so pictures that load on the way do"},
    {Subject::Scan, "min-size", "WxH",
     "with --deep: leave out images known to be smaller (0: no limit)", "deep follow pages"},
    {Subject::Follow, "follow", "",
     "replace each thumbnail that links to a page by the picture that page shows largest"},
    {Subject::Follow, "follow-other-sites", "", "also follow links to other sites", "follow"},
    {Subject::Follow, "follow-match", "TEXT", "only follow links whose address contains TEXT",
     "follow"},
    {Subject::Follow, "take", "main|all",
     "the main picture of a followed page (default) or every one", "follow"},
    {Subject::Follow, "pages", "N", "also harvest up to N next pages (rel=\"next\"), 0 to 1000"},
    {Subject::Follow, "follow-limit", "N",
     "load at most N followed and next pages in all (default 500)"},
    {Subject::Output, "json", "",
     "print one JSON object a page with names, addresses, sizes, sources; its \"outcome\" is "
     "\"ok\", or \"failed\" with the \"reason\"; with --download one a file, with the path it was "
     "saved under"},
    {Subject::Output, "similar", "",
     "of pictures that look alike (resized, re-encoded), keep only the best: the most pixels, "
     "then PNG over JPEG, then the larger file (similar NAME: kept BEST); with --json each entry "
     "gets \"alikeOf\""},
    {Subject::Sites, "window-profile", "",
     "load the pages and download the files with the window's logins and site data, from a copy "
     "of its profile: the window, open or not, is left as it is"},
    {Subject::Sites, "cookies", "FILE",
     "also send the cookies of FILE (Netscape format, as curl -c, wget --save-cookies and File > "
     "Export Cookies... write it); they win over the window's; a malformed line is told and left "
     "out"},
    {Subject::Sites, "wait", "SECONDS",
     "wait this long between two requests to one site: each page loaded and each file downloaded "
     "(fractions allowed, up to 3600)"},
    {Subject::Sites, "random-wait", "",
     "with --wait: each wait between half and one and a half times it", "wait"},
    {Subject::Input, "input", "FILE",
     "harvest every address of FILE (one a line; - reads standard input)"},
    {Subject::Input, "shard", "K/N",
     "only part K of N of the --input list: the addresses at positions K, K+N, K+2N, ...; N runs "
     "cover the list once between them",
     "input"},
    {Subject::Download, "download", "DIR",
     "download the listed files into the folder DIR (made when missing), one line per file "
     "(saved NAME / failed NAME: reason), then a summary; exit status 1 when any page or file "
     "failed. A file saved there before that is still there with its size is not fetched again "
     "(already saved NAME)"},
    {Subject::Download, "images", "", "download listed images (without --images or --links: both)",
     "download", pickingNeedsDownload},
    {Subject::Download, "links", "", "download listed image links", "download",
     pickingNeedsDownload},
    {Subject::Download, "match", "TEXT", "only files whose name contains TEXT, ignoring case",
     "download", pickingNeedsDownload},
    {Subject::Download, "reject", "TEXT",
     "leave out files whose name contains TEXT, ignoring case (may be given again: any of them)",
     "download"},
    {Subject::Download, "accept-regex", "RE",
     "only files whose address (all of it, not only the name) the regular expression RE matches",
     "download"},
    {Subject::Download, "reject-regex", "RE", "leave out files whose address RE matches",
     "download"},
    {Subject::Download, "min-bytes", "SIZE",
     "leave out files smaller than SIZE bytes (500K, 2M, 1G, 20000)", "download"},
    {Subject::Download, "max-bytes", "SIZE",
     "leave out files larger than SIZE bytes: by the length the server announces, or stopped as "
     "they pass it, leaving nothing behind (left out NAME: why; not a failure)",
     "download"},
    {Subject::Download, "parallel", "N", "fetch up to N files at once, 1 to 16 (default 4)",
     "download"},
    {Subject::Download, "archive", "FILE",
     "skip addresses FILE records as saved; record each file saved", "download"},
    {Subject::Download, "no-record", "",
     "keep no record of the files saved in DIR: fetch them all again", "download"},
    {Subject::Download, "per-site", "N",
     "at most N connections to one host at once, 1 to 16 (default 4), whatever --parallel is",
     "download"},
    {Subject::Download, "limit-rate", "RATE",
     "receive at most RATE bytes a second in all (500K, 2M, 100000)", "download"},
    {Subject::Download, "no-continue", "",
     "fetch files an interrupted run left half-fetched (NAME.part) afresh instead of asking the "
     "server for the rest",
     "download"},
    {Subject::Download, "quiet", "",
     "no progress line on standard error (downloading or following)", "download follow"},
    {Subject::Download, "name", "TEMPLATE",
     "name each file inside DIR by TEMPLATE; \"/\" makes subfolders. Fields: {name} {ext} {num} "
     "({num:03}: 001) {site} {title} {viewer} {w} {h} {date}; default {name}.{ext}",
     "download"},
    {Subject::Download, "write-info", "",
     "write NAME.EXT.json beside each file: address, page, viewer page, title, size, time",
     "download"},
    {Subject::Download, "no-origin", "",
     "do not write the user.xdg.origin.url and user.xdg.referrer.url attributes onto each file",
     "download"},
    {Subject::Watch, "watch", "",
     "watch URL for new pictures with these choices (or change the choices of its watch) and check "
     "it now; a check saves into DIR only pictures the watch has not seen, so a deleted one stays "
     "deleted",
     "download", "--watch needs --download DIR", "check-watches list-watches unwatch input"},
    {Subject::Watch, "every", "PERIOD",
     "how often the watch is due: 30m, 6h, 2d (default 1d, at least 5m)", "watch"},
    {Subject::Watch, "from-now", "",
     "the first check only notes what the page holds; later checks fetch what is added after",
     "watch"},
    {Subject::Watch, "check-watches", "",
     "check the watches that are due (--all: every one; URL...: those), one line each (URL: N "
     "new, saved into DIR / URL: failed: REASON); exit status 1 when any failed",
     "", "", "list-watches unwatch input"},
    {Subject::Watch, "all", "", "with --check-watches: check every watch, due or not",
     "check-watches"},
    {Subject::Watch, "list-watches", "",
     "each watch: address, folder, period, last check and its result, next check", "", "",
     "unwatch input"},
    {Subject::Watch, "unwatch", "URL", "remove the watch of URL; its folder and files stay", "", "",
     "input"},
    {Subject::Alone, "merge-archive", "OUT IN...",
     "add to the record OUT what the records IN hold (made by --archive, or their earlier text "
     "form) and it lacks"},
    {Subject::Alone, "h help", "", "print this text and exit"},
    {Subject::Alone, "version", "", "print the version and exit"},
};

struct SubjectHeading {
    Subject subject;
    const char* heading;
};

const SubjectHeading headings[] = {
    {Subject::Scan, "SCAN is any of:"},
    {Subject::Follow, "FOLLOW is any of (each scans with Deep Scan):"},
    {Subject::Output, "OUTPUT is any of:"},
    {Subject::Sites, "SITE is any of (for the pages and the files alike):"},
    {Subject::Input, "Lists of addresses:"},
    {Subject::Download, "Downloading (DOWNLOAD is any of the options after --download):"},
    {Subject::Watch, "Watching pages for new pictures:"},
    {Subject::Alone, "On their own:"},
};

const char* const synopsis =
    "usage: quillmar-harvest [SCAN] [FOLLOW] [SITE] [OUTPUT] URL\n"
    "       quillmar-harvest [SCAN] [FOLLOW] [SITE] [OUTPUT] --download DIR [DOWNLOAD] URL\n"
    "       quillmar-harvest [options] --input FILE [--shard K/N]\n"
    "       quillmar-harvest [SCAN] [FOLLOW] [SITE] --download DIR [DOWNLOAD] --watch\n"
    "                        [--every PERIOD] [--from-now] [--json] URL\n"
    "       quillmar-harvest --check-watches [--all] [--json] [URL...]\n"
    "       quillmar-harvest --list-watches [--json] | --unwatch URL\n"
    "       quillmar-harvest --merge-archive OUT IN...\n"
    "       quillmar-harvest --help | --version\n";

constexpr int helpColumn = 18;
constexpr int lineWidth = 80;

QStringList Words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// text broken at spaces into lines that end before lineWidth, the first
// starting at column, the others at helpColumn.
QString Wrapped(const QString& text, int column) {
    QString wrapped;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool first = wrapped.isEmpty() || wrapped.endsWith(QLatin1Char('\n'));
        if (!first && column + 1 + word.size() > lineWidth) {
            wrapped += QLatin1Char('\n') + QString(helpColumn, QLatin1Char(' '));
            column = helpColumn;
        } else if (!first) {
            wrapped += QLatin1Char(' ');
            ++column;
        }
        wrapped += word;
        column += int(word.size());
    }
    return wrapped;
}

} // namespace

QString ToolOptions::LongName(const ToolOption& option) {
    return Words(option.names).constLast();
}

QString ToolOptions::UsageLines(const ToolOption& option) {
    QStringList forms;
    for (const QString& name : Words(option.names))
        forms << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString lead = QStringLiteral("  ") + forms.join(QStringLiteral(", "));
    if (*option.value)
        lead += QLatin1Char(' ') + QString::fromLatin1(option.value);
    lead = lead.size() + 2 <= helpColumn ? lead.leftJustified(helpColumn)
                                         : lead + QStringLiteral("  ");
    return lead + Wrapped(QString::fromUtf8(option.help), int(lead.size())) + QLatin1Char('\n');
}

QString ToolOptions::Usage() {
    QString usage = QString::fromLatin1(synopsis);
    for (const SubjectHeading& heading : headings) {
        usage += QLatin1Char('\n') + QString::fromLatin1(heading.heading) + QLatin1Char('\n');
        for (const ToolOption& option : rows)
            if (option.subject == heading.subject)
                usage += UsageLines(option);
    }
    return usage;
}

void ToolOptions::AddTo(QCommandLineParser& parser) {
    for (const ToolOption& option : rows) {
        if (option.subject == Subject::Alone)
            continue;
        QCommandLineOption parsed(Words(option.names));
        if (*option.value)
            parsed.setValueName(QString::fromLatin1(option.value));
        parser.addOption(parsed);
    }
}

QString ToolOptions::MissingNeed(const ToolOption& option, const QCommandLineParser& parser) {
    const QStringList needs = Words(option.needs);
    if (needs.isEmpty() || std::any_of(needs.cbegin(), needs.cend(),
                                       [&](const QString& need) { return parser.isSet(need); }))
        return QString();
    if (*option.needsText)
        return QString::fromLatin1(option.needsText);
    return QStringLiteral("--%1 needs --%2").arg(LongName(option), needs.first());
}

QString ToolOptions::Excluded(const ToolOption& option, const QCommandLineParser& parser) {
    for (const QString& excluded : Words(option.excludes))
        if (parser.isSet(excluded))
            return QStringLiteral("--%1 cannot be used with --%2").arg(LongName(option), excluded);
    return QString();
}

QString ToolOptions::Conflict(const QCommandLineParser& parser) {
    for (const ToolOption& option : rows) {
        if (option.subject == Subject::Alone || !parser.isSet(LongName(option)))
            continue;
        QString conflict = MissingNeed(option, parser);
        if (conflict.isEmpty())
            conflict = Excluded(option, parser);
        if (!conflict.isEmpty())
            return conflict;
    }
    return QString();
}
