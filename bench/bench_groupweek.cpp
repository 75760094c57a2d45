// Opening the group week on a month of 100,000 entries for 1,000 members:
// the rules alone, and the window's table model with its view painted
// offscreen.
#include "BenchMonth.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/GroupWeek.h"
#include "program/groupdata/Holidays.h"
#include "program/shell/CGroupWeekModel.h"
#include "tillbrook/TillbrookWriter.h"

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

namespace {

class SilentUi : public mirovan::IUserInterface {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
};

std::string Code(unsigned n)
{
    std::string code = "M";
    code += std::to_string(n);
    return code;
}

// 1,000 members and February 2007 with 100,000 entries, one in ten linked.
const std::string& LargeGroup()
{
    static const std::string path = [] {
        const auto folder = std::filesystem::temp_directory_path() / "mirovan-bench-week";
        std::filesystem::create_directories(folder);
        tillbrook::GroupRecord g;
        g.name = "big";
        for (unsigned i = 0; i < 1000; ++i) {
            tillbrook::MemberRecord m;
            m.name = "member " + std::to_string(i);
            m.code = Code(i);
            g.members.push_back(m);
        }
        const std::string groupPath = (folder / "big.group").string();
        tillbrook::WriteFile(groupPath, tillbrook::GroupFileBytes(g));
        std::mt19937 rng(7);
        const auto entries = bench::BenchmarkEntries(rng, 2007, 2, 100000, 1000, bench::Length::Hour);
        tillbrook::WriteFile((folder / "big200702.sch").string(), tillbrook::ScheduleFileBytes(entries));
        return groupPath;
    }();
    return path;
}

void WeekRulesAlone(benchmark::State& state)
{
    using namespace mirovan::groupweek;
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    group.ReadFile(LargeGroup());
    std::vector<std::string> codes;
    for (int i : WeekMembers(group))
        codes.emplace_back(group.MemberAt(i).Code());
    for (auto _ : state) {
        CWeekSchedule week(group, ui);
        week.Load(Day{2007, 2, 11}, codes);
        size_t lines = 0;
        for (size_t d = 0; d < week.Days().size(); ++d) {
            std::vector<BusyInterval> busy;
            for (size_t m = 0; m < codes.size(); ++m) {
                for (const mirovan::CScheduleEntry* e : week.Entries(m, d))
                    lines += mirovan::EntryLine(*e, true).size();
                for (const BusyInterval& b : BusyIntervals(week.Entries(m, d)))
                    busy.push_back(b);
            }
            benchmark::DoNotOptimize(FreeSlots(busy, WorkingHours{}));
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(WeekRulesAlone)->Unit(benchmark::kMillisecond);

void WindowTableOpens(benchmark::State& state)
{
    SilentUi ui;
    mirovan::CGroup group(ui, nullptr, mirovan::CGroup::Persistence::ReadOnly);
    group.ReadFile(LargeGroup());
    mirovan::CHolidayTables holidays;
    for (auto _ : state) {
        mirovan::shell::CGroupWeekModel model(group, holidays);
        QTableView view;
        view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        view.resize(1000, 700);
        model.ShowWeekOf({2007, 2, 14});
        view.setModel(&model);
        view.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(WindowTableOpens)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
