#include "viewlib/view/ViewCommands.h"

#include "support/OleDate.h"
#include "support/platform/Clock.h"
#include "viewlib/output/CalendarPrinter.h"
#include "viewlib/view/CMonthView.h"

#include <algorithm>
#include <cstring>

namespace mirovan::view {

intptr_t DispatchViewCommand(CMonthView& view, int32_t code, intptr_t p1, intptr_t p2)
{
    switch (code) {
    case VC_GETVERSION:
        return MV_VERSION;
    case VC_PRINT:
        view.EndEdit();
        PrintCalendar(view, reinterpret_cast<const char*>(p1));
        return 0;
    case VC_NEXTMONTH:
    case VC_PREVMONTH: {
        int y = view.m_grid.Year(), m = view.m_grid.Month();
        if (y == 0) {
            const auto d = FromOleDate(view.m_grid.MonthDate().date);
            y = d ? d->year : 1899;
            m = d ? d->month : 12;
        }
        const int index = y * 12 + (m - 1) + (code == VC_NEXTMONTH ? 1 : -1);
        view.SetMonth(index / 12, index % 12 + 1);
        return 0;
    }
    case VC_THISMONTH: {
        const platform::LocalDate today = platform::Today();
        view.SetMonth(today.year, today.month);
        return 0;
    }
    case VC_RELOADFONTS:
        view.LoadFontSettings();
        // The day numbers' height lays out the cells.
        view.ResetFonts();
        return 0;
    case VC_GETFONTS:
        return reinterpret_cast<intptr_t>(&view.m_fonts);
    case VC_GETMODE:
        return view.m_mode;
    case VC_SETMODE:
        view.m_mode = static_cast<int32_t>(p1);
        return 0;
    case VC_SETHOLIDAYS:
        if (const auto* info = reinterpret_cast<const HOLIDAYINFO*>(p1)) {
            view.m_holidayProc = info->proc;
            view.m_plainWeekends = info->plainWeekends;
        }
        return 0;
    case VC_SETHOLIDAYNAMES:
        view.m_holidayNameProc = reinterpret_cast<HOLIDAYNAMEPROC>(p1);
        return 0;
    case VC_RESETFONTS:
        view.ResetFonts();
        return 0;
    case VC_SWITCHMODE:
        view.SwitchMode(p1 != 0);
        return 0;
    case VC_REDRAW:
        view.update();
        return 0;
    case VC_GETMONTH:
        return reinterpret_cast<intptr_t>(&view.m_grid.MonthDate());
    case VC_SETMONTH:
        if (const auto* date = reinterpret_cast<const DATEREC*>(p1))
            if (const auto d = FromOleDate(date->date))
                view.SetMonth(d->year, d->month);
        return 0;
    case VC_SETEVENTPROC:
        view.m_eventProc = reinterpret_cast<VIEWEVENTPROC>(p1);
        view.m_eventContext = reinterpret_cast<void*>(p2);
        return 0;
    case VC_SETDAYTEXTS:
        view.m_grid.SetDayTexts(reinterpret_cast<const MVSTRINGLIST*>(p1));
        return 0;
    case VC_GETSELDATE: {
        const CDayCell* cell = view.m_grid.SelectedCell();
        if (!cell)
            return -1;
        if (auto* out = reinterpret_cast<DATEREC*>(p1))
            std::memcpy(out, &cell->m_date, sizeof(DATEREC));
        return 0;
    }
    case VC_SETPERSONALPATH: {
        // The open memo belongs to the file in use, not to the next one.
        view.EndEdit(true);
        const char* path = reinterpret_cast<const char*>(p1);
        if (path && *path)
            view.m_personal.SetPath(path);
        else
            view.LoadPersonalPath();
        return 0;
    }
    case VC_LOADPERSONAL:
        view.EndEdit(true);
        view.ReadPersonalFile();
        return 0;
    case VC_SAVEPERSONAL:
        if (p1 == MV_SAVE_CLOSING) {
            // A memo the file cannot hold yet keeps the window open for
            // the user to rewrite it.
            if (!view.EndEdit())
                return -1;
            return view.m_personal.SaveBeforeClosing(true) ? 0 : -1;
        }
        if (p1 == MV_SAVE_QUIET) {
            view.SaveWithoutWindows();
            return 0;
        }
        if (p1 == MV_SAVE_EXITING) {
            view.EndEdit(true);
            view.m_personal.SaveBeforeClosing(false);
            return 0;
        }
        view.EndEdit();
        view.m_personal.WriteFile();
        return 0;
    case VC_EDITMEMO:
        if (!view.m_editor && view.m_grid.SelectedCell())
            view.BeginEdit(view.m_grid.SelectedIndex());
        return 0;
    case VC_MOVE:
        if (const auto* r = reinterpret_cast<const MVRECT*>(p1)) {
            view.setGeometry(r->left, r->top, std::max(0, r->right - r->left), std::max(0, r->bottom - r->top));
            view.update();
        }
        return 0;
    case VC_SELECTDAY:
        if (p1 >= 1 && p1 <= view.m_grid.DaysInMonth())
            view.m_grid.Select(view.m_grid.IndexOfDay(static_cast<int>(p1)));
        return 0;
    case VC_SHOW: {
        const bool wasVisible = view.isVisible();
        view.setVisible(p1 != 0);
        return wasVisible ? 1 : 0;
    }
    case VC_GETHWND:
        return reinterpret_cast<intptr_t>(static_cast<QWidget*>(&view));
    default:
        return -1;
    }
}

} // namespace mirovan::view
