#pragma once

// The numeric ids of every command, control and string the program uses.
// Command ids double as string ids: a control's status prompt and tool tip
// are the string table entry with the control's id.
enum CommandId : int {
    // Resources and toolkit strings
    IDR_MAINFRAME = 128,
    IDR_QUILLMARTYPE = 129,
    IDR_HARVESTBAR = 136,
    IDS_APP_TITLE = 57344,
    IDS_IDLE_MESSAGE = 57345,
    IDS_INDICATOR_CAPS = 59137,
    IDS_INDICATOR_NUM = 59138,
    IDS_INDICATOR_SCRL = 59139,

    // Toolkit commands
    IDOK = 1,
    ID_FILE_NEW = 57600,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_WINDOW_NEW = 57648,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_DOWNLOAD_REPORT = 32833,
    ID_VIEW_RELOAD = 32834,
    ID_VIEW_THUMBNAILS = 32835,

    // Navigation bar
    ID_ADDRESS_BOX = 32771,
    ID_BACK = 32774,
    ID_FORWARD = 32776,
    ID_STOP = 32777,
    ID_PROGRESS_METER = 32780,
    ID_GO = 32792,
    ID_SEND_MAIL = 32807,
    ID_HISTORY = 32830,
    ID_ANIMATION = 32831,

    // Harvest bar
    ID_HARVESTBAR_BUTTON = 32816,
    ID_DOWNLOAD_IMAGES = 32793,
    ID_OPEN_BOOKMARKS = 32796,
    ID_MESSAGE_LINE = 32799,
    ID_ADD_BOOKMARK = 32813,
    ID_IMAGE_COUNT = 32819,
    ID_IMAGE_LIST = 32820,
    ID_LINK_LIST = 32821,
    ID_LINK_COUNT = 32822,
    ID_DOWNLOAD_LINKS = 32823,
    ID_SET_DOWNLOAD_FOLDER = 32824,
    ID_FOLDER_LABEL = 32825,
    ID_IMAGE_SEL_COUNT = 32826,
    ID_LINK_SEL_COUNT = 32827,
    ID_MAKE_PAGE = 32828,
    ID_ONLINE_CLOCK = 32829,
    ID_FILES_LEFT = 32832,

    // Scan menu
    ID_SCAN_DEEP = 32840,
    ID_SCAN_SCROLL = 32841,
    ID_SCAN_MIN_SIZE = 32842,
    ID_SCAN_FOLLOW = 32843,
    ID_VIEW_SKIP_SAVED = 32844,
    ID_VIEW_FORGET_SAVED = 32845,
    ID_VIEW_SPEED_LIMIT = 32855,
    ID_VIEW_REQUEST_WAIT = 32854,
    ID_VIEW_FILE_NAMES = 32856,
    // View menu, Parallel Downloads: how many files one download fetches at once
    ID_VIEW_PARALLEL_1 = 32857,
    ID_VIEW_PARALLEL_2 = 32858,
    ID_VIEW_PARALLEL_4 = 32859,
    ID_VIEW_PARALLEL_8 = 32860,

    // File menu: every running download at once
    ID_FILE_PAUSE_DOWNLOADS = 32850,
    ID_FILE_RESUME_DOWNLOADS = 32851,
    // File menu: the engine's cookies for other tools
    ID_FILE_EXPORT_COOKIES = 32862,
    // Watched galleries: Scan menu, View menu
    ID_SCAN_WATCH_PAGE = 32863,
    ID_VIEW_WATCH_LIST = 32864,
};
