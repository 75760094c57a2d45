#include "viewlib/view/ViewCommands.h"

#include "support/OleDate.h"
#include "viewlib/view/CMonthView.h"

#include <algorithm>
#include <cstring>

namespace mirovan::view {

intptr_t DispatchViewCommand(CMonthView& view, int32_t code, intptr_t p1, intptr_t p2)
{
    switch (code) {
    case VC_GETVERSION: return MV_VERSION;
    case VC_PRINT: view.PrintMonth(reinterpret_cast<const char*>(p1)); return 0;
    case VC_NEXTMONTH: view.ShowNextMonth(); return 0;
    case VC_PREVMONTH: view.ShowPreviousMonth(); return 0;
    case VC_THISMONTH: view.ShowThisMonth(); return 0;
    case VC_RELOADFONTS:
        view.LoadFontSettings();
        // The day numbers' height lays out the cells.
        view.ResetFonts();
        return 0;
    case VC_GETFONTS: return reinterpret_cast<intptr_t>(&view.Fonts());
    case VC_GETMODE: return view.Mode();
    case VC_SETMODE: view.SetMode(static_cast<int32_t>(p1)); return 0;
    case VC_SETHOLIDAYS:
        if (const auto* info = reinterpret_cast<const HOLIDAYINFO*>(p1))
            view.SetHolidays(*info);
        return 0;
    case VC_SETHOLIDAYNAMES: view.SetHolidayNames(reinterpret_cast<HOLIDAYNAMEPROC>(p1)); return 0;
    case VC_RESETFONTS: view.ResetFonts(); return 0;
    case VC_SWITCHMODE: view.SwitchMode(p1 != 0); return 0;
    case VC_REDRAW: view.Redraw(); return 0;
    case VC_GETMONTH: return reinterpret_cast<intptr_t>(&view.DisplayedMonth());
    case VC_SETMONTH:
        if (const auto* date = reinterpret_cast<const DATEREC*>(p1))
            if (const auto d = FromOleDate(date->date))
                view.SetMonth(d->year, d->month);
        return 0;
    case VC_SETEVENTPROC: view.SetEventProc(reinterpret_cast<VIEWEVENTPROC>(p1), reinterpret_cast<void*>(p2)); return 0;
    case VC_SETDAYTEXTS: view.SetDayTexts(reinterpret_cast<const MVSTRINGLIST*>(p1)); return 0;
    case VC_GETSELDATE: {
        const DATEREC* date = view.SelectedDate();
        if (!date)
            return -1;
        if (auto* out = reinterpret_cast<DATEREC*>(p1))
            std::memcpy(out, date, sizeof(DATEREC));
        return 0;
    }
    case VC_SETPERSONALPATH: view.SetPersonalPath(reinterpret_cast<const char*>(p1)); return 0;
    case VC_LOADPERSONAL: view.LoadPersonal(); return 0;
    case VC_SAVEPERSONAL:
        switch (p1) {
        case MV_SAVE_CLOSING: return view.SaveBeforeClosing() ? 0 : -1;
        case MV_SAVE_EXITING: view.SaveBeforeExiting(); return 0;
        case MV_SAVE_QUIET: view.SaveWithoutWindows(); return 0;
        default: view.SavePersonal(); return 0;
        }
    case VC_EDITMEMO: view.EditSelectedMemo(); return 0;
    case VC_MOVE:
        if (const auto* r = reinterpret_cast<const MVRECT*>(p1))
            view.Place(*r);
        return 0;
    case VC_SELECTDAY:
        // No month has 32 days: a number beyond int selects nothing either.
        view.SelectDay(static_cast<int>(std::clamp<intptr_t>(p1, 0, 32)));
        return 0;
    case VC_SHOW: return view.ShowView(p1 != 0) ? 1 : 0;
    case VC_GETHWND: return reinterpret_cast<intptr_t>(static_cast<QWidget*>(&view));
    default: return -1;
    }
}

} // namespace mirovan::view
