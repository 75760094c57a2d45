#pragma once
// The model behind the month view: one cell per day shown, in rows of
// seven from Sunday, with the neighbouring months' days filling the
// first and last rows. Layout, hit testing, keyboard moves and the
// selection are decided here; the view only draws what this computes.
#include "interface/MirovanView.h"
#include "support/DayKey.h"
#include "viewlib/grid/GridGeometry.h"

#include <memory>
#include <string>
#include <vector>

namespace mirovan::view {

class CDayCell {
public:
    std::string m_label; // day of the month, "%d"
    std::string m_text;  // memo or schedule lines, CR LF between lines
    int32_t m_index = 0;
    DATEREC m_date{0.0, 0};
    int m_year = 0;
    int m_month = 0;
    int m_day = 0;
    GridRect m_cellRect;
    GridRect m_textRect;
    bool m_selected = false;
    bool m_otherMonth = false;
    bool m_holiday = false; // the holiday function named it one
    Colour m_colour = 0;

    uint32_t DayKey() const { return MakeDayKey(m_year, m_month, m_day); }
};

// What the grid asks of the view that owns it.
class IMonthGridHost {
public:
    virtual ~IMonthGridHost() = default;
    // 1 holiday, 2 working day, anything else an ordinary day.
    virtual int32_t HolidayStatus(int32_t year, int32_t month, int32_t day) = 0;
    virtual bool PlainWeekends() const = 0;
    virtual Colour WindowColour() const = 0;
    virtual void SavePersonalIfModified() = 0;
    virtual bool HasPersonalPath() const = 0;
    virtual std::string PersonalDayText(uint32_t dayKey) = 0;
    // nullptr: the whole client area.
    virtual void Invalidate(const GridRect* rect, bool erase) = 0;
};

enum class GridKey { Left, Up, Right, Down, Other };

// The grid lines: vertical ones from the top of the window, horizontal
// ones across the cells.
struct GridLine {
    int x1, y1, x2, y2;
};

class CMonthGrid {
public:
    enum AreaKind { kWhole = 0, kBody = 1, kHeader = 2 };

    explicit CMonthGrid(IMonthGridHost& host) : m_host(host) {}

    void Build(int year, int month);
    // dayNumberHeight is the line height of the font the day numbers
    // are drawn in.
    void Layout(const GridRect& client, int dayNumberHeight);
    void ClearTexts();
    void FillFromPersonal();
    // One list per day of the displayed month, day 1 first.
    void SetDayTexts(const MVSTRINGLIST* lists);
    void SetDayTexts(const std::vector<std::vector<std::string>>& lists);

    int IndexOfDay(int day) const;
    int LeadingCells() const;

    void Select(int index);
    int HitTest(int x, int y) const;
    void OnKey(GridKey key);
    // The selected index as stored; it may lie beyond a smaller grid.
    int SelectedIndex() const { return m_selectedIndex; }
    // The selected cell, or null when none or when the index no longer
    // lies inside the grid.
    const CDayCell* SelectedCell() const;

    int CellCount() const { return static_cast<int>(m_cells.size()); }
    CDayCell& Cell(int index) { return *m_cells.at(static_cast<size_t>(index)); }
    const CDayCell& Cell(int index) const { return *m_cells.at(static_cast<size_t>(index)); }

    const DATEREC& MonthDate() const { return m_monthDate; }
    int Year() const { return m_year; }
    int Month() const { return m_month; }
    int DaysInMonth() const { return m_daysInMonth; }

    int EditIndex() const { return m_editIndex; }
    void SetEditIndex(int index) { m_editIndex = index; }

    static GridRect AreaRect(AreaKind kind, const GridRect& client);
    // Header cells of the weekday names, Sunday first.
    static GridRect HeaderCell(int column, const GridRect& client);
    // The weekday name of a column, UTF-8, Sunday first; also the
    // weekday of any date from its Weekday().
    static const char* WeekdayName(int column);
    std::vector<GridLine> GridLines() const;
    // From the client's top-left corner to the last cell's bottom-right.
    GridRect FrameRect() const;

private:
    std::unique_ptr<CDayCell> MakeCell(int year, int month, int day);
    // Empties every cell's text, handing the old texts back.
    std::vector<std::string> TakeTexts();
    void InvalidateChanged(const std::vector<std::string>& before);

    IMonthGridHost& m_host;
    std::vector<std::unique_ptr<CDayCell>> m_cells;
    int m_previousLastDay = -1;
    int m_firstLeadingDay = -1;
    int m_daysInMonth = 0;
    int m_selectedIndex = -1;
    DATEREC m_monthDate{0.0, 0};
    int m_year = 0;
    int m_month = 0;
    int m_editIndex = -1;
};

} // namespace mirovan::view
