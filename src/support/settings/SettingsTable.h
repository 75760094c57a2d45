#pragma once
// Everything Mirovan remembers between runs, each value declared once:
// where it is kept, its name, its type and its default; and the folders
// its files live in (ProductNames.h, ProductFolders.h). SettingsStore.h reads and writes these values; no
// other file spells a value name or the maker's folder.
#include "support/ProductFolders.h"
#include "support/ProductNames.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace mirovan::settings {

// Where a value is kept: the current user's hive, the machine's hive (key
// below), or the private profile (key is the section).
enum class Store : uint8_t { User, Machine, Profile };

// A dword (the profile keeps numbers only).
struct Number {
    Store store;
    const char* key;
    const char* name;
    uint32_t fallback;
};

// A string value in code page 932; the default is written here in UTF-8.
// Missing and empty texts read as the default.
struct Text {
    Store store;
    const char* key;
    const char* name;
    const char* fallback;
};

// A file path, kept byte for byte (a string value, or binary data for
// bytes that are not UTF-8); missing reads as empty.
struct Path {
    Store store;
    const char* key;
    const char* name;
};

// Texts under one key whose names are only known at run time.
struct TextFamily {
    Store store;
    const char* key;
};

// The program's settings.
inline constexpr Number kVersion{Store::User, kProperty, "Ver", 0}; // written as 220
inline constexpr Number kNoMemDC{Store::User, kProperty, "NoMemDC", 0};
inline constexpr Text kFont0{Store::User, kProperty, "Font0", "ＭＳ Ｐゴシック"};
inline constexpr Text kFont1{Store::User, kProperty, "Font1", "ＭＳ Ｐ明朝"};
inline constexpr Number kFontSize0{Store::User, kProperty, "FontSize0", 110};
inline constexpr Number kFontSize1{Store::User, kProperty, "FontSize1", 100};
inline constexpr Number kEndTime{Store::User, kProperty, "EndTime", 0};
inline constexpr Number kMode{Store::User, kProperty, "Mode", 1};
inline constexpr Number kRandom{Store::User, kProperty, "Random", 1};
inline constexpr Number kDefColor{Store::User, kProperty, "DefColor", 0x80FF00};
inline constexpr Number kWindow{Store::User, kProperty, "Window", 0}; // 0 normal, 1 minimised, 2 maximised
inline constexpr Path kGroup{Store::User, kProperty, "Group"};
inline constexpr Text kUser{Store::User, kProperty, "User", ""}; // empty: the login name
inline constexpr Path kPersonal{Store::User, kProperty, "Personal"};
inline constexpr Number kWeekend{Store::User, kProperty, "Weekend", 3}; // read, never used
// Whether the month view follows changes of the shared folder by itself.
inline constexpr Number kAutoRefresh{Store::User, kProperty, "AutoRefresh", 1};
// The frame's outer rectangle: left and right, top and bottom, 16 bits each.
inline constexpr Number kXPos{Store::User, kProperty, "XPOS", 0x00320258};
inline constexpr Number kYPos{Store::User, kProperty, "YPOS", 0x00320190};
// The first start's day, year * 10000 + month * 100 + day.
inline constexpr Number kFrom{Store::User, kProperty, "From", 0};
// The group week window: the working hours and least length of its free
// time (minutes), and its place ("x,y,w,h") and column widths ("w,w,...").
inline constexpr Number kWeekFrom{Store::User, kProperty, "WeekFrom", 540};
inline constexpr Number kWeekTo{Store::User, kProperty, "WeekTo", 1080};
inline constexpr Number kWeekLength{Store::User, kProperty, "WeekLength", 30};
inline constexpr Text kWeekWindow{Store::User, kProperty, "WeekWindow", ""};
inline constexpr Text kWeekColumns{Store::User, kProperty, "WeekColumns", ""};

// One text per group, named by the group: the chosen member's code.
inline constexpr TextFamily kSelectedMember{Store::User, kSelected};

// The program's path, for other programs to find.
inline constexpr Path kProgramPath{Store::Machine, kProperty, "Path"};
inline constexpr Path kAppPath{Store::Machine, kAppPaths, ""};
inline constexpr Path kAppFolder{Store::Machine, kAppPaths, "Path"};

// The view library's private profile: the print height in percent and the
// list dialog's column widths (10 bits each), place and size (16 bits each).
inline constexpr Number kPrintHeight{Store::Profile, kProfileSection, "PrintHeight", 50};
inline constexpr Number kListWidth{Store::Profile, kProfileSection, "MVListWidth", (120u << 20) | (140u << 10) | 150u};
inline constexpr Number kListPos{Store::Profile, kProfileSection, "MVListPos", (100u << 16) | 100u};
inline constexpr Number kListSize{Store::Profile, kProfileSection, "MVListSize", (360u << 16) | 400u};

using Entry = std::variant<const Number*, const Text*, const Path*>;

inline constexpr Entry kAll[] = {
    &kVersion,     &kNoMemDC,  &kFont0,     &kFont1,       &kFontSize0, &kFontSize1,  &kEndTime,    &kMode,
    &kRandom,      &kDefColor, &kWindow,    &kGroup,       &kUser,      &kPersonal,   &kWeekend,    &kAutoRefresh,
    &kXPos,        &kYPos,     &kFrom,      &kWeekFrom,    &kWeekTo,    &kWeekLength, &kWeekWindow, &kWeekColumns,
    &kProgramPath, &kAppPath,  &kAppFolder, &kPrintHeight, &kListWidth, &kListPos,    &kListSize,
};

} // namespace mirovan::settings
