#include "viewlib/grid/CMonthGrid.h"

#include <gtest/gtest.h>
#include <map>

using namespace mirovan;
using namespace mirovan::view;

namespace {

class FakeHost : public IMonthGridHost {
public:
    int32_t HolidayStatus(int32_t y, int32_t m, int32_t d) override
    {
        ++holidayCalls;
        const auto it = status.find(y * 10000 + m * 100 + d);
        return it == status.end() ? 0 : it->second;
    }
    bool PlainWeekends() const override { return plainWeekends; }
    Colour WindowColour() const override { return kWindow; }
    void SavePersonalIfModified() override { ++saves; }
    bool HasPersonalPath() const override { return hasPath; }
    std::string PersonalDayText(uint32_t key) override
    {
        const auto it = memos.find(key);
        return it == memos.end() ? "" : it->second;
    }
    void Invalidate(const GridRect* rect, bool) override
    {
        if (rect)
            invalidated.push_back(*rect);
        else
            ++invalidatedAll;
    }

    static constexpr Colour kWindow = Rgb(255, 255, 255);
    std::map<int, int32_t> status;
    std::map<uint32_t, std::string> memos;
    bool plainWeekends = false;
    bool hasPath = true;
    int holidayCalls = 0;
    int saves = 0;
    int invalidatedAll = 0;
    std::vector<GridRect> invalidated;
};

class Grid : public ::testing::Test {
protected:
    void BuildAndLayout(int year, int month, int width = 701, int height = 521)
    {
        grid.Build(year, month);
        grid.Layout({0, 0, width, height}, 16);
    }
    FakeHost host;
    CMonthGrid grid{host};
};

} // namespace

TEST_F(Grid, CellCountsAndNeighbouringMonths)
{
    grid.Build(2015, 2); // 1st a Sunday, 28 days, last a Saturday
    EXPECT_EQ(grid.CellCount(), 28);
    EXPECT_EQ(grid.LeadingCells(), 0);
    for (int i = 0; i < 28; ++i)
        EXPECT_FALSE(grid.Cell(i).m_otherMonth);
    EXPECT_EQ(host.saves, 1);

    grid.Build(2016, 10); // 1st a Saturday, 31 days
    EXPECT_EQ(grid.CellCount(), 42);
    EXPECT_EQ(grid.LeadingCells(), 6);
    EXPECT_EQ(grid.Cell(0).m_label, "25");
    EXPECT_EQ(grid.Cell(0).m_month, 9);
    EXPECT_EQ(grid.IndexOfDay(1), 6);
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(31)).m_label, "31");

    grid.Build(2007, 1); // starts on Monday: one December day before it
    EXPECT_EQ(grid.Cell(0).m_year, 2006);
    EXPECT_EQ(grid.Cell(0).m_month, 12);
    EXPECT_EQ(grid.Cell(0).m_day, 31);
    EXPECT_TRUE(grid.Cell(0).m_otherMonth);
    EXPECT_EQ(grid.CellCount(), 35);

    grid.Build(2008, 12); // ends on Wednesday: January 1-3 of 2009 after it
    EXPECT_EQ(grid.CellCount(), 35);
    EXPECT_EQ(grid.Cell(34).m_year, 2009);
    EXPECT_EQ(grid.Cell(34).m_day, 3);
    EXPECT_TRUE(grid.Cell(34).m_otherMonth);
    EXPECT_EQ(grid.MonthDate().date, 39783.0); // 2008-12-01
    EXPECT_EQ(grid.MonthDate().status, 0);
    EXPECT_EQ(host.holidayCalls, 28 + 42 + 35 + 35); // every cell is asked
}

TEST_F(Grid, ColoursFromWeekdaysHolidaysAndThePlainWeekendsFlag)
{
    host.status[20070429] = 1; // a Sunday holiday
    host.status[20070430] = 1; // a Monday holiday
    host.status[20070407] = 2; // a Saturday working day
    grid.Build(2007, 4);       // starts on a Sunday
    auto colourOf = [&](int day) { return grid.Cell(grid.IndexOfDay(day)).m_colour; };
    EXPECT_EQ(colourOf(1), kHolidayColour);
    EXPECT_EQ(colourOf(2), FakeHost::kWindow);
    EXPECT_EQ(colourOf(14), kSaturdayColour);
    EXPECT_EQ(colourOf(7), FakeHost::kWindow);
    EXPECT_EQ(colourOf(30), kHolidayColour);

    host.plainWeekends = true;
    grid.Build(2007, 4);
    EXPECT_EQ(colourOf(1), FakeHost::kWindow);
    EXPECT_EQ(colourOf(14), FakeHost::kWindow);
    EXPECT_EQ(colourOf(29), kHolidayColour);
}

TEST_F(Grid, LayoutArithmetic)
{
    BuildAndLayout(2007, 2, 701, 521); // 35 cells, five rows
    // Body 0,21 .. 700,520: columns of 100, rows of 99.
    EXPECT_EQ(grid.Cell(0).m_cellRect, (GridRect{0, 21, 100, 120}));
    EXPECT_EQ(grid.Cell(8).m_cellRect, (GridRect{100, 120, 200, 219}));
    EXPECT_EQ(grid.Cell(34).m_cellRect, (GridRect{600, 417, 700, 516}));
    EXPECT_EQ(grid.Cell(0).m_textRect, (GridRect{2, 21 + 16 + 2, 98, 118}));
    EXPECT_EQ(CMonthGrid::AreaRect(CMonthGrid::kHeader, {0, 0, 701, 521}), (GridRect{0, 1, 700, 20}));
    EXPECT_EQ(CMonthGrid::HeaderCell(6, {0, 0, 701, 521}), (GridRect{601, 1, 699, 20}));
    EXPECT_EQ(grid.FrameRect(), (GridRect{0, 0, 700, 516}));

    const auto lines = grid.GridLines();
    ASSERT_EQ(lines.size(), 6u + 5u);
    EXPECT_EQ(lines[0].x1, 100);
    EXPECT_EQ(lines[0].y1, 0);
    EXPECT_EQ(lines[5].x1, 600);
    EXPECT_EQ(lines[5].y2, 516);
    EXPECT_EQ(lines[6].y1, 21);
    EXPECT_EQ(lines[10].y1, 21 + 4 * 99);
    EXPECT_EQ(lines[10].x2, 700);

    // A resize moves everything.
    grid.Layout({0, 0, 351, 300}, 10);
    EXPECT_EQ(grid.Cell(34).m_cellRect, (GridRect{300, 21 + 4 * 55, 350, 21 + 5 * 55}));
}

TEST_F(Grid, HitTestEdges)
{
    BuildAndLayout(2007, 2);
    EXPECT_EQ(grid.HitTest(0, 21), 0);
    EXPECT_EQ(grid.HitTest(99, 119), 0);
    EXPECT_EQ(grid.HitTest(100, 119), 1);
    EXPECT_EQ(grid.HitTest(99, 120), 7);
    EXPECT_EQ(grid.HitTest(50, 10), -1);  // header band
    EXPECT_EQ(grid.HitTest(700, 50), -1); // right remainder
    EXPECT_EQ(grid.HitTest(50, 516), -1); // bottom remainder
    EXPECT_EQ(grid.HitTest(-1, 50), -1);
}

TEST_F(Grid, SelectionInvalidatesOnlyTheCellsConcerned)
{
    BuildAndLayout(2007, 2);
    host.invalidated.clear();
    grid.Select(3);
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0], grid.Cell(3).m_cellRect);
    grid.Select(10);
    ASSERT_EQ(host.invalidated.size(), 3u);
    EXPECT_EQ(host.invalidated[1], grid.Cell(3).m_cellRect);
    EXPECT_EQ(host.invalidated[2], grid.Cell(10).m_cellRect);
    EXPECT_FALSE(grid.Cell(3).m_selected);
    EXPECT_TRUE(grid.Cell(10).m_selected);
    host.invalidated.clear();
    grid.Select(10);
    EXPECT_EQ(host.invalidated, (std::vector<GridRect>{grid.Cell(10).m_cellRect, grid.Cell(10).m_cellRect}));
    grid.Select(99); // beyond the grid: nothing to repaint for it
    EXPECT_EQ(host.invalidated.size(), 3u);
    EXPECT_EQ(grid.SelectedCell(), nullptr);
}

TEST_F(Grid, ArrowKeysWrapInsideTheGrid)
{
    BuildAndLayout(2007, 2); // 35 cells
    grid.OnKey(GridKey::Right);
    EXPECT_EQ(grid.SelectedIndex(), 0); // from no selection
    grid.Select(34);
    grid.OnKey(GridKey::Right);
    EXPECT_EQ(grid.SelectedIndex(), 0);
    grid.Select(34);
    grid.OnKey(GridKey::Down);
    EXPECT_EQ(grid.SelectedIndex(), 6);
    grid.Select(2);
    grid.OnKey(GridKey::Up);
    EXPECT_EQ(grid.SelectedIndex(), 30);
    grid.Select(0);
    grid.OnKey(GridKey::Left);
    EXPECT_EQ(grid.SelectedIndex(), 34);
    grid.OnKey(GridKey::Other);
    EXPECT_EQ(grid.SelectedIndex(), 34);

    for (auto [key, expected] :
         {std::pair{GridKey::Left, 34}, {GridKey::Up, 27}, {GridKey::Right, 0}, {GridKey::Down, 6}}) {
        grid.Select(-1);
        grid.OnKey(key);
        EXPECT_EQ(grid.SelectedIndex(), expected);
    }
}

TEST_F(Grid, SelectionSurvivesABuildAsANumberButNeverReachesPastTheGrid)
{
    BuildAndLayout(2016, 10); // 42 cells
    grid.Select(40);
    BuildAndLayout(2007, 2); // 35 cells
    EXPECT_EQ(grid.SelectedIndex(), 40);
    EXPECT_EQ(grid.SelectedCell(), nullptr);
    grid.OnKey(GridKey::Right); // as from no selection
    EXPECT_EQ(grid.SelectedIndex(), 0);
    grid.Select(5);
    BuildAndLayout(2007, 3);
    ASSERT_NE(grid.SelectedCell(), nullptr);
    EXPECT_FALSE(grid.SelectedCell()->m_selected); // no focus rectangle after a change of month
    EXPECT_EQ(grid.SelectedCell()->m_index, 5);
}

TEST_F(Grid, DayTextsSkipTheNeighbouringMonths)
{
    grid.Build(2007, 2); // leading cells Jan 28-31
    std::vector<std::string> lines0 = {"a", "b"};
    std::vector<const char*> ptrs0 = {"a", "b"};
    std::vector<MVSTRINGLIST> lists(28, MVSTRINGLIST{0, nullptr});
    lists[0] = {2, ptrs0.data()};
    const char* last[] = {"end"};
    lists[27] = {1, last};
    grid.Cell(0).m_text = "stale";
    grid.SetDayTexts(lists.data());
    EXPECT_EQ(grid.Cell(0).m_text, "");
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(1)).m_text, "a\r\nb\r\n");
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(2)).m_text, "");
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(28)).m_text, "end\r\n");

    grid.Build(2015, 2); // starts on Sunday: the first list goes top-left
    grid.SetDayTexts(std::vector<std::vector<std::string>>{{"first"}});
    EXPECT_EQ(grid.Cell(0).m_text, "first\r\n");
}

TEST_F(Grid, FillFromPersonalOnlyTheDisplayedMonth)
{
    host.memos[20070201] = "memo one";
    host.memos[20070131] = "january";
    host.memos[20070228] = "last";
    grid.Build(2007, 2);
    grid.FillFromPersonal();
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(1)).m_text, "memo one");
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(28)).m_text, "last");
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(1) - 1).m_text, "");
    host.hasPath = false;
    grid.FillFromPersonal();
    EXPECT_EQ(grid.Cell(grid.IndexOfDay(1)).m_text, "");
}

TEST_F(Grid, NewDayTextsRepaintOnlyTheCellsThatChanged)
{
    BuildAndLayout(2007, 2);
    std::vector<std::vector<std::string>> texts(28);
    texts[4] = {"09:00 meeting"};
    texts[9] = {"10:00 visit"};
    grid.SetDayTexts(texts);
    host.invalidated.clear();
    host.invalidatedAll = 0;

    // The same month read again with one entry moved from day 5 to day 7.
    texts[4].clear();
    texts[6] = {"09:00 meeting"};
    std::vector<const char*> day7 = {"09:00 meeting"};
    std::vector<const char*> day10 = {"10:00 visit"};
    std::vector<MVSTRINGLIST> lists(28, MVSTRINGLIST{0, nullptr});
    lists[6] = {1, day7.data()};
    lists[9] = {1, day10.data()};
    grid.SetDayTexts(lists.data());
    EXPECT_EQ(host.invalidatedAll, 0);
    EXPECT_EQ(host.invalidated, (std::vector<GridRect>{grid.Cell(grid.IndexOfDay(5)).m_cellRect,
                                                       grid.Cell(grid.IndexOfDay(7)).m_cellRect}));
    host.invalidated.clear();
    grid.SetDayTexts(texts);
    EXPECT_TRUE(host.invalidated.empty());
}
