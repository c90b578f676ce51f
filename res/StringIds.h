// Numbers of the library's string table (res/Strings.rc). Code loads them negated: a negative
// number names a string of this library.
#pragma once

#define IDS_PRODUCT_NAME 1
#define IDS_ASK_AUTOLOAD_USER 2
#define IDS_ASK_AUTOLOAD_ALL_USERS 3
#define IDS_WINDOW_SIZE 4
#define IDS_ANTISPYWARE_NOTE 5
#define IDS_OTHER_EDITION_NEEDED 150
// The properties dialog's lists, in the order of their item data (border and gradient types).
#define IDS_BORDER_FIRST 110
#define IDS_GRADIENT_FIRST 120
#define IDS_CLOSE 130
#define IDS_BROWSE_IMAGE 131
#define IDS_BROWSE_FOR_FILE 20003
#define IDS_ALL_FILES_FILTER 20004
#define IDS_VISIT_WEB_SITE 20007
#define IDS_WINPRO_NOT_SUPPORTED 20008
#define IDS_NO_HTMLHELP 20010
#define IDS_HELP_FILE_MISSING 20015
#define IDS_ABOUT_MENU 20022
#define IDS_NO_HTML_APPLICATION 22022
#define IDS_CONFIRM_CANCEL 28008

// The update check's reminder and frequency lists.
#define IDS_REMIND_TOMORROW 21810
#define IDS_REMIND_NEXT_WEEK 21811
#define IDS_REMIND_NEXT_MONTH 21812
#define IDS_FREQ_DAILY 21813
#define IDS_FREQ_WEEKLY 21814
#define IDS_FREQ_MONTHLY 21815
