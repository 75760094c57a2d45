// mirovan-publish: the groups' schedules as files for web and CalDAV
// servers to deliver: feeds, month pages and a vdir per member.
#include "export/Commands.h"
#include "export/StreamUi.h"
#include "program/groupdata/Holidays.h"
#include "program/shellcore/CFileChangeTracker.h"
#include "publish/FileName.h"
#include "publish/GroupPublisher.h"
#include "publish/Html.h"
#include "publish/OutputFolder.h"
#include "support/HelpText.h"
#include "support/platform/Clock.h"
#include "support/platform/EndSignals.h"
#include "support/platform/FolderWatch.h"
#include "support/platform/Platform.h"

#include <charconv>
#include <chrono>
#include <iostream>
#include <memory>
#include <optional>
#include <set>

namespace {

constexpr const char* kUsageJa =
#include "mirovan-publish.usage.ja.inc"
    ;
constexpr const char* kUsageEn =
#include "mirovan-publish.usage.en.inc"
    ;
constexpr const char* kHelpJa =
#include "mirovan-publish.help.ja.inc"
    ;
constexpr const char* kHelpEn =
#include "mirovan-publish.help.en.inc"
    ;

using namespace mirovan;
using namespace mirovan::publish;
using shell::CFileChangeTracker;
using shell::FileStamp;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultMonths = 14;
constexpr int kMaxMonths = 120;
// --watch looks at the files when a notification comes, again this soon
// while a change settles, and at least this often for the shares whose
// changes come with no notification: within the tracker's settle time a
// change is published in about 3 seconds at the most.
constexpr std::chrono::milliseconds kSettleLook{250};
constexpr std::chrono::milliseconds kPeriodicLook{2000};

struct Options {
    std::string to;
    std::optional<std::string> from;
    int months = kDefaultMonths;
    bool watch = false;
    std::string url;
    std::vector<std::string> groups;
};

void Say(const std::string& line) { std::cerr << "mirovan-publish: " << line << '\n'; }

int ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                Say(a + " の後に値を指定してください。");
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (a == "--to" || a == "--url") {
            if (!value(a == "--to" ? options.to : options.url))
                return kExitUsage;
        } else if (a == "--from") {
            std::string from;
            if (!value(from))
                return kExitUsage;
            options.from = from;
        } else if (a == "--months") {
            std::string text;
            if (!value(text))
                return kExitUsage;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), options.months);
            if (r.ec != std::errc() || r.ptr != text.data() + text.size() || options.months < 1 ||
                options.months > kMaxMonths) {
                Say("--months には1から" + std::to_string(kMaxMonths) + "までの数を指定してください。「" + text +
                    "」は使えません。");
                return kExitUsage;
            }
        } else if (a == "--watch") {
            options.watch = true;
        } else if (a.size() > 1 && a[0] == '-') {
            Say("「" + a + "」というオプションはありません。");
            return kExitUsage;
        } else {
            options.groups.push_back(a);
        }
    }
    if (options.to.empty() || options.groups.empty()) {
        Say("--to DIR と一つ以上のグループファイルを指定してください。");
        return kExitUsage;
    }
    if (!options.url.empty() && options.url.back() != '/')
        options.url += '/';
    return kExitOk;
}

// The window: --from, or the month before today's, for --months months.
std::optional<calendar::MonthRange> Window(const Options& options, const platform::LocalDate& today)
{
    calendar::MonthRange range;
    range.count = options.months;
    if (options.from) {
        if (!exporter::ParseYearMonth(*options.from, range.year, range.month))
            return std::nullopt;
    } else {
        range.year = today.month == 1 ? today.year - 1 : today.year;
        range.month = today.month == 1 ? 12 : today.month - 1;
    }
    if ((range.year * 12 + range.month - 1 + range.count - 1) / 12 > 9999 || range.year < 100)
        return std::nullopt;
    return range;
}

// A look that failed counts as no file, which the trackers wait out.
FileStamp Look(const std::string& path) { return shell::LookAtFile(path).value_or(FileStamp{}); }

std::chrono::milliseconds Now()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

struct Group {
    std::unique_ptr<GroupPublisher> publisher;
    bool readable = false;
    // The last publish of the group went through: a later one may write
    // only what changed. After a failure (a full disk, the folder
    // removed) the next one writes everything.
    bool published = false;
    CFileChangeTracker groupFile;
    std::vector<CFileChangeTracker> monthFiles;
};

class Publisher {
public:
    Publisher(const Options& options, OutputFolder& out, exporter::StreamUi& ui) : m_out(out), m_ui(ui)
    {
        m_holidays.LoadHolidayFile();
        for (const std::string& path : options.groups) {
            Group& g = m_groups.emplace_back();
            g.publisher = std::make_unique<GroupPublisher>(path, ui, m_holidays);
        }
    }

    // A usage problem: two groups that would share a folder.
    std::optional<std::string> Clash() const
    {
        std::set<std::string> folders;
        for (const Group& g : m_groups)
            if (!folders.insert(g.publisher->FolderName()).second)
                return "グループファイル「" + platform::PathForMessage(g.publisher->GroupPath()) +
                       "」はほかのグループと同じフォルダー名「" + g.publisher->FolderName() + "」になります。";
        return std::nullopt;
    }

    // Reads and writes everything; the status.
    int PublishAll(const PublishSettings& settings)
    {
        int status = kExitOk;
        for (Group& g : m_groups) {
            if (!ReadAll(g, settings.window))
                status = kExitFailed;
            if (g.readable && !Write(g, settings, std::nullopt, "すべての月"))
                status = kExitFailed;
        }
        if (!WriteTopIndex())
            status = kExitFailed;
        return status;
    }

    // Publishes what the files changed since the last look affect; true
    // while a change is still settling.
    bool Look(const PublishSettings& settings)
    {
        const auto now = Now();
        bool settling = false;
        for (Group& g : m_groups) {
            const FileStamp stamp = ::Look(g.groupFile.Path());
            const auto decision = Observe(g.groupFile, stamp, now, settling);
            if (decision == CFileChangeTracker::Decision::Read) {
                // Only a whole reading sets the size a later one is held
                // to: a file refused at 300 MB does not make its good
                // copy "shorter" and wait out the rewrite time.
                bool cutOff = false;
                if (g.publisher->ReadGroup(true, &cutOff)) {
                    g.groupFile.Read(stamp);
                    if (ReadAll(g, settings.window))
                        Write(g, settings, std::nullopt, "グループファイル");
                    WriteTopIndex();
                } else {
                    g.groupFile.Skip(stamp);
                    // The reading told why; read again, it would tell twice.
                    if (!cutOff) {
                        Stop(g);
                        WriteTopIndex();
                    }
                }
                continue;
            }
            if (!g.readable) {
                // Stopped by a file it could not read: once one of its
                // files has changed and settled, the whole group again.
                bool retry = false;
                for (CFileChangeTracker& tracker : g.monthFiles)
                    if (Observe(tracker, ::Look(tracker.Path()), now, settling) == CFileChangeTracker::Decision::Read)
                        retry = true;
                if (retry && ReadAll(g, settings.window)) {
                    Write(g, settings, std::nullopt, "読み込めるようになりました");
                    WriteTopIndex();
                }
                continue;
            }
            // Someone removed the published folder (or all of DIR): made
            // again whole, once; a failure waits for the next change.
            if (g.published && !m_out.HasFolder(g.publisher->FolderName())) {
                Write(g, settings, std::nullopt, "公開先のフォルダーがなくなっていました");
                WriteTopIndex();
                continue;
            }
            std::set<int> changed;
            for (size_t i = 0; i < g.monthFiles.size(); ++i) {
                CFileChangeTracker& tracker = g.monthFiles[i];
                const FileStamp monthStamp = ::Look(tracker.Path());
                if (Observe(tracker, monthStamp, now, settling) != CFileChangeTracker::Decision::Read)
                    continue;
                if (g.publisher->ReadMonth(static_cast<int>(i), true)) {
                    tracker.Read(monthStamp);
                    changed.insert(static_cast<int>(i));
                    continue;
                }
                tracker.Skip(monthStamp);
                if (g.publisher->MonthUnreadable(static_cast<int>(i)))
                    Say(g.publisher->DisplayName() + ": " + MonthFileName(g, static_cast<int>(i)) +
                        " を読み込めないため、この月は前に公開したままです。");
            }
            if (!changed.empty()) {
                std::string months;
                for (int i : changed) {
                    if (!months.empty())
                        months += ' ';
                    months += MonthFileName(g, i);
                }
                Write(g, settings, g.published ? std::optional(changed) : std::nullopt, months);
            }
        }
        return settling;
    }

    // The folders holding the files followed now.
    std::vector<std::string> Folders() const
    {
        std::vector<std::string> folders;
        for (const Group& g : m_groups) {
            folders.push_back(platform::ParentFolder(g.groupFile.Path()));
            for (const CFileChangeTracker& month : g.monthFiles)
                folders.push_back(platform::ParentFolder(month.Path()));
        }
        return folders;
    }

    void Republish(const PublishSettings& settings)
    {
        for (Group& g : m_groups) {
            ReadAll(g, settings.window);
            if (g.readable)
                Write(g, settings, std::nullopt, "日付が変わりました");
        }
        WriteTopIndex();
    }

private:
    // One look at a followed file; settling once any is still changing.
    static CFileChangeTracker::Decision Observe(CFileChangeTracker& tracker, const FileStamp& stamp,
                                                std::chrono::milliseconds now, bool& settling)
    {
        const auto decision = tracker.Observe(stamp, now);
        settling = settling || decision == CFileChangeTracker::Decision::CheckAgain;
        return decision;
    }

    static std::string MonthFileName(const Group& g, int i)
    {
        const std::string path = g.publisher->MonthPath(i);
        return platform::PathForMessage(path.substr(path.find_last_of('/') + 1));
    }

    bool ReadAll(Group& g, const calendar::MonthRange& window)
    {
        const std::string& path = g.publisher->GroupPath();
        g.groupFile.Follow(path, ::Look(path));
        const bool groupRead = g.publisher->ReadGroup(false);
        const bool ok = groupRead && g.publisher->ReadMonths(window, false);
        g.monthFiles.clear();
        // Followed also when one could not be read, so that its change
        // brings the group back.
        for (int i = 0; groupRead && i < g.publisher->MonthCount(); ++i) {
            CFileChangeTracker& tracker = g.monthFiles.emplace_back();
            tracker.Follow(g.publisher->MonthPath(i), ::Look(g.publisher->MonthPath(i)));
        }
        m_ui.Release();
        if (!ok)
            Stop(g);
        g.readable = ok;
        return ok;
    }

    // What could not be read leaves what was published of it as it was.
    void Stop(Group& g)
    {
        g.readable = false;
        Say(g.publisher->DisplayName() + ": 読み込めないファイルがあるため、このグループは公開しませんでした。");
    }

    bool Write(Group& g, const PublishSettings& settings, const std::optional<std::set<int>>& changed,
               const std::string& why)
    {
        g.published = false;
        try {
            m_out.StartPublish();
            g.publisher->Write(m_out, settings, changed);
        } catch (const PublishError& ex) {
            m_out.Abandon();
            Say(g.publisher->DisplayName() + ": " + ex.what());
            return false;
        }
        g.published = true;
        Say(g.publisher->DisplayName() + " (" + why + "): " + std::to_string(m_out.Written()) + " 件書き込み、" +
            std::to_string(m_out.Removed()) + " 件削除");
        return true;
    }

    bool WriteTopIndex()
    {
        ListPage index;
        index.title = "グループの一覧";
        for (const Group& g : m_groups)
            if (g.readable)
                index.items.push_back(
                    {{g.publisher->DisplayName(), UrlSegment(g.publisher->FolderName()) + "/index.html"}, {}});
        try {
            m_out.Write("index.html", RenderListPage(index));
        } catch (const PublishError& ex) {
            Say(ex.what());
            return false;
        }
        return true;
    }

    OutputFolder& m_out;
    exporter::StreamUi& m_ui;
    CHolidayTables m_holidays;
    std::vector<Group> m_groups;
};

bool SameDay(const platform::LocalDate& a, const platform::LocalDate& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << ChooseText(kHelpJa, kHelpEn);
        return std::cout.flush() ? kExitOk : kExitFailed;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << VersionLine("mirovan-publish");
        return std::cout.flush() ? kExitOk : kExitFailed;
    }
    Options options;
    if (ParseOptions(argc, argv, options) != kExitOk) {
        std::cerr << ChooseText(kUsageJa, kUsageEn);
        return kExitUsage;
    }
    PublishSettings settings;
    settings.today = platform::Today();
    settings.baseUrl = options.url;
    const auto window = Window(options, settings.today);
    if (!window) {
        Say("「" + options.from.value_or("") +
            "」は月ではないか、書き出す月が9999年を越えます。YYYY-MM の形で指定してください。");
        return kExitUsage;
    }
    settings.window = *window;

    exporter::StreamUi ui(std::cerr, "mirovan-publish");
    std::optional<OutputFolder> out;
    try {
        out.emplace(options.to);
    } catch (const PublishError& ex) {
        Say(ex.what());
        return kExitFailed;
    }
    Publisher publisher(options, *out, ui);
    if (const auto clash = publisher.Clash()) {
        Say(*clash);
        return kExitUsage;
    }
    const int status = publisher.PublishAll(settings);
    if (!options.watch)
        return status;

    const int ended = platform::CatchEndSignals();
    platform::FolderWatch watch;
    watch.Watch(publisher.Folders());
    Say("変更を待ちます。");
    bool settling = false;
    for (;;) {
        watch.Wait(settling ? kSettleLook : kPeriodicLook, ended);
        if (!platform::TakeEndSignals().empty())
            break;
        const platform::LocalDate today = platform::Today();
        if (!SameDay(today, settings.today)) {
            // The today mark moves; on the 1st the window moves too.
            settings.today = today;
            if (const auto moved = Window(options, today))
                settings.window = *moved;
            publisher.Republish(settings);
            watch.Watch(publisher.Folders());
            continue;
        }
        settling = publisher.Look(settings);
        // A group file read again may name other folders.
        watch.Watch(publisher.Folders());
    }
    Say("終了します。");
    return kExitOk;
}
