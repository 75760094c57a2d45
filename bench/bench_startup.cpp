// The real program and view library, offscreen: start-up until the month
// is first painted, and F8 (next month) on a 100,000-entry month through
// the real refresh until it is painted, beside reading the same file's
// bytes only, whose fastest time F8's is also put against. Settings and
// files live in a temporary home.
#include "BenchMonth.h"
#include "common/IsolatedEnvironment.h"
#include "common/TempDir.h"
#include "program/shell/CMainFrame.h"
#include "program/shell/CShellApp.h"
#include "program/shell/ShellUi.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"
#include "tillbrook/TillbrookWriter.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

// Answers every question at once, as a user who closes each dialog.
class SilentUi : public mirovan::shell::IShellUi {
public:
    void ShowMessage(const std::string&, mirovan::MessageIcon) override {}
    void SetOwner(QWidget*) override {}
    bool AskYesNo(const QString&) override { return false; }
    std::optional<QString> ChooseFile(const mirovan::shell::FileDialogRequest&) override { return std::nullopt; }
    std::optional<QFont> ChooseFont(const QFont&) override { return std::nullopt; }
    int RunDialog(QDialog&) override { return QDialog::Rejected; }
};

// Notes the first paint of the calendar after Arm().
class PaintWatch : public QObject {
public:
    void Arm(QWidget* view)
    {
        m_view = view;
        m_painted = false;
    }
    // Runs the event loop until the calendar was painted; false after 10 s.
    bool Wait()
    {
        const auto limit = Clock::now() + std::chrono::seconds(10);
        while (!m_painted && Clock::now() < limit)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_view && watched == m_view)
            m_painted = true;
        return false;
    }

private:
    QWidget* m_view = nullptr;
    bool m_painted = false;
};

struct Files {
    mirovan::test::TempDir home;
    std::string library;
    std::string sampleGroup; // a realistic group for start-up
    std::string bigGroup;    // 100,000 entries next month
    std::string bigMonth;
};

std::string MonthFile(const std::string& group, int year, int month)
{
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%d%02d.sch", year, month);
    return group.substr(0, group.size() - 6) + suffix;
}

void MakeFiles(Files& f)
{
    {
        f.library = mirovan::platform::JoinPath(mirovan::platform::ExecutableFolder(),
                                                mirovan::platform::SharedLibraryFileName("Mirovan"));
        const std::string folder = f.home.Path().string();
        const auto today = mirovan::platform::Today();
        const int nextYear = today.month == 12 ? today.year + 1 : today.year;
        const int nextMonth = today.month % 12 + 1;

        tillbrook::GroupRecord group;
        group.name = "bench";
        for (int i = 0; i < 1000; ++i) {
            // Appended: GCC 12 in Release warns wrongly of "M" + std::string.
            std::string name = "member ";
            name += std::to_string(i);
            std::string code = "M";
            code += std::to_string(i);
            group.members.push_back({name, code, "", {}, 0, {}});
        }
        f.sampleGroup = folder + "/sample.group";
        f.bigGroup = folder + "/big.group";
        tillbrook::WriteFile(f.sampleGroup, tillbrook::GroupFileBytes(group));
        tillbrook::WriteFile(f.bigGroup, tillbrook::GroupFileBytes(group));

        std::mt19937 rng(7);
        auto month = [&rng](int year, int monthNumber, int count) {
            return tillbrook::ScheduleFileBytes(
                bench::BenchmarkEntries(rng, year, monthNumber, count, 1000, bench::Length::Moment));
        };
        tillbrook::WriteFile(MonthFile(f.sampleGroup, today.year, today.month), month(today.year, today.month, 1000));
        tillbrook::WriteFile(MonthFile(f.bigGroup, today.year, today.month), month(today.year, today.month, 1000));
        f.bigMonth = MonthFile(f.bigGroup, nextYear, nextMonth);
        tillbrook::WriteFile(f.bigMonth, month(nextYear, nextMonth, 100000));
    }
}

Files& Fixture()
{
    static Files files;
    static const bool made = (MakeFiles(files), true);
    (void)made;
    return files;
}

std::string Launcher(const std::string& group) { return "/BYLINK /file:\"" + group + "\" /member:M17"; }

void StartupToFirstPaint(benchmark::State& state)
{
    Files& f = Fixture();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        mirovan::test::TempDir home;
        mirovan::test::IsolatedEnvironment environment(home.Path());
        SilentUi ui;
        const auto start = Clock::now();
        mirovan::shell::CShellApp app(mirovan::shell::CShellApp::Options{f.library, &ui});
        // The frame is made inside Startup: watch every paint until it exists.
        watch.Arm(nullptr);
        if (!app.Startup(Launcher(f.sampleGroup))) {
            state.SkipWithError("the program did not start");
            break;
        }
        watch.Arm(app.Frame()->Client());
        if (!watch.Wait()) {
            state.SkipWithError("the month was never painted");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        app.Shutdown();
    }
    qApp->removeEventFilter(&watch);
}
BENCHMARK(StartupToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void NextMonthOf100000Entries(benchmark::State& state)
{
    Files& f = Fixture();
    mirovan::test::TempDir home;
    mirovan::test::IsolatedEnvironment environment(home.Path());
    SilentUi ui;
    mirovan::shell::CShellApp app(mirovan::shell::CShellApp::Options{f.library, &ui});
    if (!app.Startup(Launcher(f.bigGroup))) {
        state.SkipWithError("the program did not start");
        return;
    }
    QWidget* view = app.Frame()->Client();
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    watch.Arm(view);
    watch.Wait();
    bench::BestTime best;
    for (auto _ : state) {
        watch.Arm(view);
        best.Start();
        const auto start = Clock::now();
        QTest::keyClick(view, Qt::Key_F8);
        if (!watch.Wait()) {
            state.SkipWithError("the next month was never painted");
            break;
        }
        best.Stop();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        // Back to this month, untimed.
        watch.Arm(view);
        QTest::keyClick(view, Qt::Key_F7);
        watch.Wait();
    }
    qApp->removeEventFilter(&watch);
    app.Shutdown();
    state.counters["entries"] = 100000;
    bench::ReportRatios(state, best, f.bigMonth, 0);
}
BENCHMARK(NextMonthOf100000Entries)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void ReadSameFileBytesOnly(benchmark::State& state)
{
    const Files& f = Fixture();
    char buffer[4096];
    for (auto _ : state) {
        mirovan::platform::InputFile file(f.bigMonth);
        size_t total = 0;
        while (const size_t n = file.ReadSome(buffer, sizeof buffer))
            total += n;
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(ReadSameFileBytesOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise: the figures are the program's own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
