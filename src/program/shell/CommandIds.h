#pragma once
// Command ids of menu 104, accelerator table 103 and the control bar.
namespace mirovan::shell {

enum Command : int {
    ID_APP_ABOUT = 40001,
    ID_PRINT = 40002,
    ID_APP_EXIT = 40003,
    ID_PREV_MONTH = 40005,
    ID_THIS_MONTH = 40006,
    ID_NEXT_MONTH = 40007,
    ID_OPEN_GROUP = 40008,
    ID_OPTIONS = 40009,
    ID_REFRESH = 40010,
    ID_DAY_DETAILS = 40014,
    ID_NEW_PERSONAL = 40015,
    ID_OPEN_PERSONAL = 40019,
    ID_SHOW_GROUP = 40020,
    ID_SHOW_PERSONAL = 40021,
    ID_EXPORT_CALENDAR = 40031,
    ID_GROUP_WEEK = 40032,
    ID_KEY_LIST = 40033,
};

enum BarControl : int {
    IDC_YEAR = 1001,
    IDC_YEAR_SPIN = 1002,
    IDC_MONTH = 1003,
    IDC_PREV = 1004,
    IDC_THIS = 1005,
    IDC_NEXT = 1006,
    IDC_NAME = 1007,
    IDC_OPEN = 1008,
    IDC_MEMBER = 1009,
    IDC_REFRESH = 1010,
    IDC_PRINT = 1011,
    IDC_PERSONAL = 1035,
    IDC_NAME_LABEL = 1036,
    IDC_MEMBER_LABEL = 1037,
};

} // namespace mirovan::shell
