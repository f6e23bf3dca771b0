#include "core/StringTable.h"

#include "core/CommandIds.h"

#include <unordered_map>

namespace {

const std::unordered_map<int, const char*>& entries() {
    static const std::unordered_map<int, const char*> table = {
        {IDR_MAINFRAME, "Quillmar"},
        {IDR_QUILLMARTYPE, "\nQuillmar\nQuillmar\n\n\nQuillmar.Document\nQuillmar Document"},
        {IDS_APP_TITLE, "Quillmar"},
        {IDS_IDLE_MESSAGE, "Ready"},
        {IDS_INDICATOR_CAPS, "CAP"},
        {IDS_INDICATOR_NUM, "NUM"},
        {IDS_INDICATOR_SCRL, "SCRL"},

        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_SEND_MAIL, "Send Email\n Email"},
        {ID_HISTORY, "History\n History."},
        {ID_BACK, "Back\nBack"},
        {ID_FORWARD, "Forward\nForward"},
        {ID_STOP, "Stop\nStop"},
        {ID_GO, "Go to webpage\n GO!"},
        {ID_ADDRESS_BOX, "Address\n Address"},
        {ID_PROGRESS_METER, "Download Progress\nDownload Progress"},
        {ID_SET_DOWNLOAD_FOLDER, "Set download directory.\n Set download directory."},
        {ID_FOLDER_LABEL, "Current download directory. \n Current download directory."},
        {ID_MESSAGE_LINE, "Messages.\nMessages."},
        {ID_VIEW_RELOAD, "Load the page again\nReload"},
        {ID_VIEW_DOWNLOAD_REPORT,
         "Show what each file of this run's downloads did\nDownload Report"},
        {ID_VIEW_THUMBNAILS, "Show the pictures of the active window as thumbnails, with sizes and "
                             "filters\nThumbnails"},
        {ID_IMAGE_LIST, "Images on current page.\nImages on current page."},
        {ID_IMAGE_COUNT, "Number of images.\n Number of images."},
        {ID_IMAGE_SEL_COUNT, "Image download counter.\n Image download counter."},
        {ID_DOWNLOAD_IMAGES, "Download selected images.\n Download selected images."},
        {ID_LINK_LIST, "Images linked to on current page.\n Images linked to on current page."},
        {ID_LINK_COUNT, "Number of image links.\n Number of image links."},
        {ID_LINK_SEL_COUNT, "Image link download counter.\nImage link download counter."},
        {ID_DOWNLOAD_LINKS, "Download selected image links.\nDownload selected image links."},
        {ID_ONLINE_CLOCK, "Online timer\n Online timer."},
        {ID_OPEN_BOOKMARKS, "Open bookmark file.\n Open bookmark file."},
        {ID_ADD_BOOKMARK, "Add page to bookmark file.\n Add page to bookmark file."},
        {ID_MAKE_PAGE, "Create image web page.\n Create image web page."},
        {ID_SCAN_DEEP,
         "Find every picture: srcset, lazy loaders, CSS backgrounds, frames.\nDeep Scan"},
        {ID_SCAN_SCROLL, "Scroll the page to its end, then scan it.\nScroll and Scan"},
        {ID_SCAN_MIN_SIZE, "Hide pictures smaller than a size in Deep Scan.\nMinimum Picture Size"},
        {ID_SCAN_FOLLOW,
         "Replace thumbnails by the pictures of the pages they lead to.\nFollow Thumbnails"},
        {ID_SCAN_WATCH_PAGE, "Check this page for new pictures now and then, saving only what "
                             "it adds.\nWatch This Page"},
        {ID_VIEW_WATCH_LIST, "Show the watched pages, their new pictures and their checks.\n"
                             "Watch List"},
        {ID_VIEW_SKIP_SAVED, "Do not download pictures saved into the same folder before.\n"
                             "Skip Pictures Already Saved"},
        {ID_VIEW_FORGET_SAVED, "Forget which pictures were saved into the download folder.\n"
                               "Forget Pictures Saved"},
        {ID_VIEW_SPEED_LIMIT, "Limit the speed of all downloads together.\nDownload Speed Limit"},
        {ID_VIEW_REQUEST_WAIT, "Wait between two requests to one site: each file downloaded and "
                               "each page followed.\nWait Between Requests"},
        {ID_VIEW_FILE_NAMES, "Choose how saved files are named and which folders they go to.\n"
                             "File Names"},
        {ID_VIEW_PARALLEL_1, "Download one file at a time, in the order of the list.\n"
                             "One File at a Time"},
        {ID_VIEW_PARALLEL_2, "Download up to 2 files at once.\n2 Files at Once"},
        {ID_VIEW_PARALLEL_4, "Download up to 4 files at once.\n4 Files at Once"},
        {ID_VIEW_PARALLEL_8, "Download up to 8 files at once.\n8 Files at Once"},
        {ID_FILE_PAUSE_DOWNLOADS, "Pause every running download.\nPause All Downloads"},
        {ID_FILE_RESUME_DOWNLOADS, "Resume every paused download.\nResume All Downloads"},
        {ID_FILE_EXPORT_COOKIES, "Save the logins of this site or of every site in a cookie "
                                 "file for curl and wget.\nExport Cookies"},

        // Dialog tool tips
        {1040, "Cancel"},
        {1041, "Search Links"},
        {1042, "Delete Selected"},
        {1043, "Search Box"},
        {1044, "Link History"},
        {1046, "Clear History"},
        {1047, "Select"},
        {1048, "Image File List"},
        {1049, "Image Folder Selection"},
        {1050, "Web Page Title"},
        {1051, "Create and Save Page"},
        {1052, "Open Page"},
        {1053, "BookMark List"},
        {1054, "Delete Selected BookMark"},
        {1055, "Search Box"},
        {1056, "Search BookMarks"},
        {1057, "Clear BookMarks"},
    };
    return table;
}

// What each control is, in a word or two, for screen readers, where
// neither its prompt nor its tip says it that briefly; other entries are named
// by the shorter of the two.
const std::unordered_map<int, const char*>& names() {
    static const std::unordered_map<int, const char*> table = {
        {ID_GO, "Go"},
        {ID_ANIMATION, "Activity"},
        {ID_IMAGE_COUNT, "Images"},
        {ID_LINK_COUNT, "Image links"},
        {ID_FILES_LEFT, "Files left"},
        {ID_ONLINE_CLOCK, "Online time"},
        {IDOK, "OK"},
        {ID_VIEW_TOOLBAR, "Navigation bar"},
        {IDR_HARVESTBAR, "Harvest bar"},
        {1036, "Bookmarks"}, // the bookmark and history dialogs' counters
        {1045, "Links"},
    };
    return table;
}

// Spaces and a final full stop say nothing of their own.
QString bare(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.endsWith(QLatin1Char('.')))
        trimmed.chop(1);
    return trimmed.trimmed();
}

} // namespace

QString StringTable::text(int id) {
    const auto found = entries().find(id);
    return found == entries().end() ? QString() : QString::fromUtf8(found->second);
}

bool StringTable::contains(int id) {
    return entries().count(id) != 0;
}

QString StringTable::prompt(int id) {
    return text(id).section(QLatin1Char('\n'), 0, 0);
}

QString StringTable::tip(int id) {
    const QString entry = text(id);
    const int lineFeed = entry.indexOf(QLatin1Char('\n'));
    return lineFeed < 0 ? QString() : entry.mid(lineFeed + 1);
}

QString StringTable::name(int id) {
    const auto found = names().find(id);
    if (found != names().end())
        return QString::fromUtf8(found->second);
    const QString promptText = bare(prompt(id));
    const QString tipText = bare(tip(id));
    return !tipText.isEmpty() && tipText.size() < promptText.size() ? tipText : promptText;
}

QString StringTable::description(int id) {
    const QString promptText = bare(prompt(id));
    const QString tipText = bare(tip(id));
    const QString longer = tipText.size() > promptText.size() ? tipText : promptText;
    return longer.compare(name(id), Qt::CaseInsensitive) == 0 ? QString() : longer;
}
