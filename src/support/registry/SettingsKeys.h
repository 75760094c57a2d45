#pragma once
// Where Mirovan keeps what it remembers: the registry keys below the
// current user and the local machine, and the value names that the
// program, the view library and the export all read.
namespace mirovan::keys {

constexpr const char* kProgram = "Software\\Tavric\\Mirovan";
constexpr const char* kProperty = "Software\\Tavric\\Mirovan\\Property";
// One value per group, named by the group: the chosen member's code.
constexpr const char* kSelected = "Software\\Tavric\\Mirovan\\Selected";

// Where the maker's earlier name kept the same keys; moved once.
constexpr const char* kLegacyMaker = "Software\\Brenlow";
constexpr const char* kLegacyProgram = "Software\\Brenlow\\Mirovan";
constexpr const char* kLegacyProperty = "Software\\Brenlow\\Mirovan\\Property";

// Values under kProperty.
constexpr const char* kVersion = "Ver";
constexpr const char* kFont0 = "Font0";
constexpr const char* kFont1 = "Font1";
constexpr const char* kFontSize0 = "FontSize0";
constexpr const char* kFontSize1 = "FontSize1";
constexpr const char* kNoMemDC = "NoMemDC";
constexpr const char* kEndTime = "EndTime";
constexpr const char* kPersonal = "Personal";
constexpr const char* kGroup = "Group";
// Whether the month view follows changes of the shared folder by itself.
constexpr const char* kAutoRefresh = "AutoRefresh";
// The group week window: the working hours and least length of its free
// time (minutes), and its place ("x,y,w,h") and column widths ("w,w,...").
constexpr const char* kWeekFrom = "WeekFrom";
constexpr const char* kWeekTo = "WeekTo";
constexpr const char* kWeekLength = "WeekLength";
constexpr const char* kWeekWindow = "WeekWindow";
constexpr const char* kWeekColumns = "WeekColumns";

// The private profile's section and the print height the print dialog
// keeps there.
constexpr const char* kProfileSection = "Property";
constexpr const char* kPrintHeight = "PrintHeight";

} // namespace mirovan::keys
