// calendar: the printed month as a PDF, without a window, from the same
// grid, holidays and page drawing as the view's print command.
#include "export/Commands.h"
#include "export/OpenGroup.h"
#include "export/StreamUi.h"

#include "guisupport/Fonts.h"
#include "guisupport/QtText.h"
#include "personalformat/CPersonalMemos.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/Holidays.h"
#include "program/groupdata/ScheduleTexts.h"
#include "support/Codepage.h"
#include "support/FileError.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsStore.h"
#include "viewlib/grid/CMonthGrid.h"
#include "viewlib/grid/ViewSettings.h"
#include "viewlib/output/CalendarPrinter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>
#include <ostream>

namespace mirovan::exporter {
namespace {

using namespace mirovan::view;

struct CalendarOptions {
    std::string group;
    int year = 0, month = 0;
    std::optional<std::string> member;
    std::optional<std::string> personal;
    std::string pdf;
    int paperCode = 9;
    bool landscape = false;
    std::optional<int> height, heading, date, schedule;
    bool empty = false;
};

std::optional<int> Number(const std::string& text, int min, int max)
{
    int v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < min || v > max)
        return std::nullopt;
    return v;
}

// The grid's questions answered without a window: holidays from the
// program's tables, memos from the personal file, white for weekdays.
class ExportGridHost : public IMonthGridHost {
public:
    ExportGridHost(const CHolidayTables& holidays, personal::CPersonalMemos* memos)
        : m_holidays(holidays), m_personal(memos)
    {
    }
    int32_t HolidayStatus(int32_t y, int32_t m, int32_t d) override { return m_holidays.GetHolidayStatus(y, m, d); }
    bool PlainWeekends() const override { return m_holidays.PlainWeekends(); }
    Colour WindowColour() const override { return Rgb(255, 255, 255); }
    void SavePersonalIfModified() override {}
    bool HasPersonalPath() const override { return m_personal != nullptr; }
    std::string PersonalDayText(uint32_t key) override { return m_personal->DayText(key); }
    void Invalidate(const GridRect*, bool) override {}

private:
    const CHolidayTables& m_holidays;
    personal::CPersonalMemos* m_personal;
};

int Parse(const Args& args, CalendarOptions& o, std::ostream& err)
{
    std::vector<std::string> positional;
    auto value = [&](size_t& i) -> const std::string* {
        if (i + 1 >= args.size()) {
            err << MissingValue(args[i]);
            return nullptr;
        }
        return &args[++i];
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::string* v = nullptr;
        if (a == "--landscape") {
            o.landscape = true;
        } else if (a == "--empty") {
            o.empty = true;
        } else if (a == "--member" || a == "--personal" || a == "--pdf" || a == "--paper" || a == "--height" ||
                   a == "--heading" || a == "--date" || a == "--schedule") {
            if (!(v = value(i)))
                return kExitUsage;
            if (a == "--member") {
                o.member = *v;
            } else if (a == "--personal") {
                o.personal = *v;
            } else if (a == "--pdf") {
                o.pdf = *v;
            } else if (a == "--paper") {
                o.paperCode = PaperCodeFromName(*v);
                if (!o.paperCode) {
                    err << "mirovan-export: 「" << *v
                        << "」という用紙はありません。1から41のコードか、A4、B4、Letter "
                           "などの名前で指定してください。\n";
                    return kExitUsage;
                }
            } else {
                // Heights are percentages of 10-100; sizes points of 1-200.
                const bool isHeight = a == "--height";
                const int min = isHeight ? kMinHeightPercent : 1;
                const int max = isHeight ? kMaxHeightPercent : 200;
                const auto n = Number(*v, min, max);
                if (!n) {
                    err << "mirovan-export: " << a << " には" << min << "から" << max
                        << "までの数を指定してください。「" << *v << "」は使えません。\n";
                    return kExitUsage;
                }
                (a == "--height" ? o.height : a == "--heading" ? o.heading : a == "--date" ? o.date : o.schedule) = *n;
            }
        } else if (a.size() > 1 && a[0] == '-') {
            err << UnknownOption(a);
            return kExitUsage;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || o.pdf.empty()) {
        err << "mirovan-export: calendar にはグループファイル、月 (YYYY-MM) と --pdf OUT.pdf を指定してください。\n";
        return kExitUsage;
    }
    o.group = positional[0];
    if (!ParseYearMonth(positional[1], o.year, o.month)) {
        err << NotAMonth(positional[1]);
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace

int RunCalendar(const Args& args, std::ostream& out, std::ostream& err)
{
    CalendarOptions o;
    if (const int status = Parse(args, o, err))
        return status;
    const std::string folder = platform::ParentFolder(o.pdf);
    if (!QFileInfo(qttext::FromNativePath(folder)).isDir()) {
        err << "mirovan-export: " << platform::PathForMessage(o.pdf) << " のフォルダがありません。\n";
        return kExitUnreadable;
    }

    // Drawing needs a GUI application; without a display, the offscreen one.
    if (platform::GetEnv("QT_QPA_PLATFORM").empty() && platform::GetEnv("DISPLAY").empty() &&
        platform::GetEnv("WAYLAND_DISPLAY").empty())
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "mirovan-export";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);
    InstallFontSubstitutions();

    StreamUi ui(err);
    CHolidayTables holidays;
    holidays.LoadHolidayFile();
    std::unique_ptr<personal::CPersonalMemos> memos;
    std::string memberName;
    MonthTexts texts;
    if (o.personal) {
        memos = std::make_unique<personal::CPersonalMemos>();
        // A calendar without the memos it was asked for would pass for one
        // of a month without memos: every failure ends the command.
        try {
            memos->Read(*o.personal);
        } catch (const CFileException& ex) {
            ui.ShowMessage(personal::ReadFailureText(ex.m_cause, *o.personal), MessageIcon::Exclamation);
            return kExitUnreadable;
        } catch (const CArchiveException&) {
            err << "mirovan-export: ファイル「" << platform::PathForMessage(*o.personal)
                << "」は途中で切れています。\n";
            return kExitUnreadable;
        }
    } else {
        OpenGroup open(out, err);
        const CGroup& group = open.group;
        if (const int status = OpenGroupFile(open, o.group, o.member, err))
            return open.Finish(status);
        if (group.SelectedIndex() >= 0)
            memberName = group.MemberAt(group.SelectedIndex()).Name();
        CScheduleMonth month(group, open.ui);
        month.SetMonth(DateValue{ToOleDate(o.year, o.month, 1).value(), DateValue::kValid});
        month.Load();
        month.Link();
        open.CheckMonth(month);
        // No page of a month that could not be read whole.
        if (open.failed)
            return open.Finish(kExitUnreadable);
        const bool endTime = settings::Read(settings::kEndTime) != 0;
        texts = BuildMonthTexts(month, SelectedMemberCode(group), endTime);
    }

    ExportGridHost host(holidays, memos.get());
    CMonthGrid grid(host);
    grid.Build(o.year, o.month);
    if (memos) {
        grid.FillFromPersonal();
    } else {
        std::vector<std::vector<std::string>> lists(texts.begin(), texts.begin() + grid.DaysInMonth());
        grid.SetDayTexts(lists);
    }

    VIEWFONTS fonts = DefaultViewFonts();
    LoadFontSettings(fonts);
    CalendarJob job = CalendarJobOf(grid, !memos, memberName.empty() ? nullptr : memberName.c_str(), fonts);
    if (o.height) {
        job.page.heightPercent = *o.height;
    } else {
        // The stored height gets the checks --height gets: the dialog
        // itself stores 0 when no height was chosen.
        const uint32_t stored = settings::Read(settings::kPrintHeight);
        if (stored < kMinHeightPercent || stored > kMaxHeightPercent) {
            err << "mirovan-export: 保存されているカレンダーの高さ " << stored << " は" << kMinHeightPercent << "から"
                << kMaxHeightPercent << "の範囲にありません。--height PERCENT で指定してください。\n";
            return kExitUsage;
        }
        job.page.heightPercent = static_cast<int>(stored);
    }
    if (o.heading)
        job.headingPoints = *o.heading;
    if (o.date)
        job.datePoints = *o.date;
    if (o.schedule)
        job.schedulePoints = *o.schedule;
    job.emptyCalendar = o.empty;

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(qttext::FromNativePath(o.pdf));
    QPageSize size = QPageSize(QPageSize::id(o.paperCode));
    printer.setPageSize(size.isValid() ? size : QPageSize(QPageSize::A4));
    printer.setPageOrientation(o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    // A PDF has no unprintable border: the page's geometry counts from the sheet's corner.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    // Nothing of the PDF is left when it cannot be written whole.
    if (std::string failure; !PrintCalendarTo(printer, job, &failure)) {
        ui.ShowMessage(failure, MessageIcon::Exclamation);
        return kExitUnreadable;
    }
    out << o.pdf << '\n';
    return kExitOk;
}

} // namespace mirovan::exporter
