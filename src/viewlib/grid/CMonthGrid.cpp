#include "viewlib/grid/CMonthGrid.h"

#include "support/DayColour.h"
#include "support/OleDate.h"

namespace mirovan::view {
namespace {

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(int year, int month, int day) { return Weekday(year, month, day) + 1; }

} // namespace

const char* CMonthGrid::WeekdayName(int column)
{
    static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
    return column >= 0 && column < 7 ? kNames[column] : "";
}

std::unique_ptr<CDayCell> CMonthGrid::MakeCell(int year, int month, int day)
{
    auto cell = std::make_unique<CDayCell>();
    cell->m_label = std::to_string(day);
    cell->m_year = year;
    cell->m_month = month;
    cell->m_day = day;
    cell->m_date = DATEREC{ToOleDate(year, month, day).value_or(0.0), 0};
    cell->m_index = static_cast<int32_t>(m_cells.size());
    const int32_t status = m_host.HolidayStatus(year, month, day);
    cell->m_holiday = status == 1;
    const DayKind kind = KindOfDay(DayOfWeek(year, month, day) - 1, status, m_host.PlainWeekends());
    cell->m_colour = kind == DayKind::Holiday    ? kHolidayColour
                     : kind == DayKind::Saturday ? kSaturdayColour
                                                 : m_host.WindowColour();
    return cell;
}

void CMonthGrid::Build(int year, int month)
{
    m_host.SavePersonalIfModified();
    m_cells.clear();
    m_year = year;
    m_month = month;
    m_monthDate = DATEREC{ToOleDate(year, month, 1).value_or(0.0), 0};

    const int w = DayOfWeek(year, month, 1);
    const int prevYear = month == 1 ? year - 1 : year;
    const int prevMonth = month == 1 ? 12 : month - 1;
    if (w == 1) {
        m_previousLastDay = m_firstLeadingDay = -1;
    } else {
        m_previousLastDay = mirovan::DaysInMonth(prevYear, prevMonth);
        m_firstLeadingDay = m_previousLastDay - w + 2;
        for (int d = m_firstLeadingDay; d <= m_previousLastDay; ++d) {
            m_cells.push_back(MakeCell(prevYear, prevMonth, d));
            m_cells.back()->m_otherMonth = true;
        }
    }
    m_daysInMonth = mirovan::DaysInMonth(year, month);
    for (int d = 1; d <= m_daysInMonth; ++d)
        m_cells.push_back(MakeCell(year, month, d));
    const int v = DayOfWeek(year, month, m_daysInMonth);
    if (v != 7) {
        const int nextYear = month == 12 ? year + 1 : year;
        const int nextMonth = month == 12 ? 1 : month + 1;
        for (int d = 1; d <= 7 - v; ++d) {
            m_cells.push_back(MakeCell(nextYear, nextMonth, d));
            m_cells.back()->m_otherMonth = true;
        }
    }
    m_host.Invalidate(nullptr, true);
}

int CMonthGrid::LeadingCells() const { return m_firstLeadingDay == -1 ? 0 : m_previousLastDay - m_firstLeadingDay + 1; }

int CMonthGrid::IndexOfDay(int day) const
{
    return m_firstLeadingDay == -1 ? day - 1 : m_previousLastDay - m_firstLeadingDay + day;
}

GridRect CMonthGrid::AreaRect(AreaKind kind, const GridRect& c)
{
    switch (kind) {
    case kBody: return {0, 21, c.right - 1, c.bottom - 1};
    case kHeader: return {0, 1, c.right - 1, 20};
    default: return c;
    }
}

GridRect CMonthGrid::HeaderCell(int column, const GridRect& client)
{
    const GridRect band = AreaRect(kHeader, client);
    const int wh = (band.right - band.left) / 7;
    return {wh * column + 1, 1, wh * (column + 1) - 1, 20};
}

void CMonthGrid::Layout(const GridRect& client, int dayNumberHeight)
{
    const GridRect b = AreaRect(kBody, client);
    const int rows = std::max(1, CellCount() / 7);
    const int h = (b.bottom - b.top) / rows;
    const int w = (b.right - b.left) / 7;
    for (auto& cell : m_cells) {
        const int row = cell->m_index / 7;
        const int column = cell->m_index % 7;
        cell->m_cellRect = {w * column, b.top + h * row, w * (column + 1), b.top + h * (row + 1)};
        GridRect text = cell->m_cellRect;
        // Below the day number, whatever its font.
        text.top += dayNumberHeight;
        cell->m_textRect = text.Deflated(2);
    }
}

void CMonthGrid::ClearTexts()
{
    for (auto& cell : m_cells)
        cell->m_text.clear();
}

void CMonthGrid::FillFromPersonal()
{
    ClearTexts();
    if (m_host.HasPersonalPath()) {
        for (int d = 1; d <= m_daysInMonth; ++d) {
            const int index = IndexOfDay(d);
            if (index >= 0 && index < CellCount())
                Cell(index).m_text = m_host.PersonalDayText(MakeDayKey(m_year, m_month, d));
        }
    }
    m_host.Invalidate(nullptr, true);
}

void CMonthGrid::SetDayTexts(const MVSTRINGLIST* lists)
{
    std::vector<std::string> before = TakeTexts();
    if (lists) {
        int k = 0;
        for (auto& cell : m_cells) {
            if (cell->m_otherMonth)
                continue;
            const MVSTRINGLIST& list = lists[k++];
            for (int32_t i = 0; i < list.count; ++i) {
                cell->m_text += list.items[i] ? list.items[i] : "";
                cell->m_text += "\r\n";
            }
        }
    }
    InvalidateChanged(before);
}

void CMonthGrid::SetDayTexts(const std::vector<std::vector<std::string>>& lists)
{
    std::vector<std::string> before = TakeTexts();
    size_t k = 0;
    for (auto& cell : m_cells) {
        if (cell->m_otherMonth)
            continue;
        if (k < lists.size())
            for (const std::string& line : lists[k])
                cell->m_text += line + "\r\n";
        ++k;
    }
    InvalidateChanged(before);
}

std::vector<std::string> CMonthGrid::TakeTexts()
{
    std::vector<std::string> texts;
    texts.reserve(m_cells.size());
    for (auto& cell : m_cells)
        texts.push_back(std::move(cell->m_text));
    ClearTexts();
    return texts;
}

void CMonthGrid::InvalidateChanged(const std::vector<std::string>& before)
{
    // Texts that change while the month stays (a file re-read) repaint
    // only their own cells, so the rest of the month does not flicker.
    for (size_t i = 0; i < m_cells.size() && i < before.size(); ++i)
        if (m_cells[i]->m_text != before[i])
            m_host.Invalidate(&m_cells[i]->m_cellRect, true);
}

void CMonthGrid::Select(int index)
{
    for (auto& cell : m_cells)
        cell->m_selected = false;
    const int old = m_selectedIndex;
    m_selectedIndex = index;
    if (index >= 0 && index < CellCount())
        Cell(index).m_selected = true;
    for (int i : {old, index})
        if (i >= 0 && i < CellCount())
            m_host.Invalidate(&Cell(i).m_cellRect, true);
}

const CDayCell* CMonthGrid::SelectedCell() const
{
    return m_selectedIndex >= 0 && m_selectedIndex < CellCount() ? &Cell(m_selectedIndex) : nullptr;
}

int CMonthGrid::HitTest(int x, int y) const
{
    for (const auto& cell : m_cells)
        if (cell->m_cellRect.Contains(x, y))
            return cell->m_index;
    return -1;
}

void CMonthGrid::OnKey(GridKey key)
{
    const int n = CellCount();
    if (n == 0 || key == GridKey::Other)
        return;
    // An index left over from a larger grid counts as no selection.
    const int i = m_selectedIndex < n ? m_selectedIndex : -1;
    int next = i;
    switch (key) {
    case GridKey::Left: next = i - 1 < 0 ? n - 1 : i - 1; break;
    case GridKey::Up: next = i - 7 < 0 ? i - 7 + n : i - 7; break;
    case GridKey::Right: next = i + 1 > n - 1 ? 0 : i + 1; break;
    case GridKey::Down: next = i + 7 > n - 1 ? i + 7 - n : i + 7; break;
    case GridKey::Other: return;
    }
    Select(next);
}

std::vector<GridLine> CMonthGrid::GridLines() const
{
    std::vector<GridLine> lines;
    if (m_cells.empty())
        return lines;
    const GridRect& first = m_cells.front()->m_cellRect;
    const GridRect& last = m_cells.back()->m_cellRect;
    const int w0 = first.Width();
    const int h0 = first.Height();
    for (int k = 1; k <= 6; ++k)
        lines.push_back({k * w0, 0, k * w0, last.bottom});
    if (h0 <= 0)
        return lines;
    for (int y = first.top; y < last.bottom; y += h0)
        lines.push_back({first.left, y, last.right, y});
    return lines;
}

GridRect CMonthGrid::FrameRect() const
{
    if (m_cells.empty())
        return {};
    const GridRect& last = m_cells.back()->m_cellRect;
    return {0, 0, last.right, last.bottom};
}

} // namespace mirovan::view
