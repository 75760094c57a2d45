#pragma once
// The program's one road to the view library: the library and its three
// exports, and a typed call for every command the program sends, so that
// the pointer-sized parameters are packed and unpacked in one place.
#include "interface/MirovanView.h"
#include "program/groupdata/CScheduleEntry.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace mirovan::shell {

class ViewClient {
public:
    // Loads the library and finds CreateMV, ParseCommand and
    // ShowListDialog; false with the reason in failure otherwise.
    bool Load(const std::string& path, std::string& failure);
    // Forgets the view and unloads the library.
    void Close();

    // Creates the view as a child of parent; false when none was made.
    bool Create(const MVRECT& rect, void* parent);
    bool HasView() const { return m_view != nullptr; }

    // Null while there is no view, -1 as the view's "no answer" is.
    std::optional<int32_t> Mode();
    // Without a view this counts as schedule mode, as any answer but 0 does.
    bool IsScheduleMode();
    void SetMode(int32_t mode);
    void SwitchMode(int32_t mode);

    // The displayed month; null without a view or an answer.
    std::optional<DateValue> Month();
    void SetMonth(const DateValue& month);
    void NextMonth();
    void PreviousMonth();
    void ThisMonth();
    // The selected day; null when no cell is selected.
    std::optional<DateValue> SelectedDay();
    void SelectDay(int32_t day);

    // A copy of the fonts in use; null without a view or an answer.
    std::optional<VIEWFONTS> Fonts();
    void ReloadFonts(const VIEWFONTS& fonts);
    // The view reads the fonts from the settings itself.
    void ReloadSavedFonts();
    void ResetFonts();
    void Redraw();
    void Move(const MVRECT& rect);

    void SetHolidays(HOLIDAYPROC holidays, bool plainWeekends);
    // A library older than this command keeps saying only "holiday".
    void SetHolidayNames(HOLIDAYNAMEPROC names);
    void SetEventProc(VIEWEVENTPROC proc, void* context);
    // A double click on a day of the displayed month, as the view reports it.
    static bool IsDayDoubleClick(int32_t event, void* param);
    // The old and the new personal file when the view saved its memos to
    // another file after their own failed.
    static std::optional<std::pair<std::string, std::string>> MovedPersonal(int32_t event, void* param);

    void SetDayTexts(const MonthTexts& texts);
    void ShowDayList(const DayList& day);

    void SetPersonalPath(const std::string& path);
    void LoadPersonal();
    void SavePersonal();
    // The save before the window closes: a failure asks the user whether
    // to retry, save the memos elsewhere or drop them. With mayGoBack the
    // user may also keep the window open instead: false then.
    bool SavePersonalBeforeClosing(bool mayGoBack);
    // For a program that cannot show a window any more: writes the memos,
    // puts them in a rescue file when that fails, and tells standard error.
    void SavePersonalWithoutWindows();
    void EditMemo();

    void Print();
    void Print(const std::string& memberName);

private:
    intptr_t Send(int32_t code, intptr_t p1 = 0, intptr_t p2 = 0);

    platform::SharedLibrary m_library;
    MVVIEW m_view = nullptr;
    CreateMVProc m_create = nullptr;
    ParseCommandProc m_command = nullptr;
    ShowListDialogProc m_list = nullptr;
};

} // namespace mirovan::shell
