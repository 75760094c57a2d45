#include "program/shell/ViewClient.h"

#include <memory>
#include <utility>
#include <vector>

namespace mirovan::shell {
namespace {

// The C form of a list of strings; points into the strings it was made of.
struct StringListView {
    explicit StringListView(const std::vector<std::string>& lines)
    {
        pointers.reserve(lines.size());
        for (const auto& line : lines)
            pointers.push_back(line.c_str());
        list.count = static_cast<int32_t>(pointers.size());
        list.items = pointers.data();
    }
    StringListView(const StringListView&) = delete;
    StringListView& operator=(const StringListView&) = delete;

    std::vector<const char*> pointers;
    MVSTRINGLIST list{};
};

template <typename T> intptr_t Pointer(T* p) { return reinterpret_cast<intptr_t>(p); }

} // namespace

bool ViewClient::Load(const std::string& path, std::string& failure)
{
    std::string error;
    if (!m_library.Open(path, error)) {
        failure = "cannot load the view library: " + error;
        return false;
    }
    m_create = reinterpret_cast<CreateMVProc>(m_library.Symbol("CreateMV"));
    m_command = reinterpret_cast<ParseCommandProc>(m_library.Symbol("ParseCommand"));
    m_list = reinterpret_cast<ShowListDialogProc>(m_library.Symbol("ShowListDialog"));
    for (auto [symbol, name] : {std::pair{reinterpret_cast<void*>(m_create), "CreateMV"},
                                std::pair{reinterpret_cast<void*>(m_command), "ParseCommand"},
                                std::pair{reinterpret_cast<void*>(m_list), "ShowListDialog"}}) {
        if (!symbol) {
            failure = "the view library " + path + " lacks the export " + name;
            return false;
        }
    }
    return true;
}

void ViewClient::Close()
{
    m_view = nullptr;
    m_library.Close();
}

bool ViewClient::Create(const MVRECT& rect, void* parent)
{
    if (m_create)
        m_view = m_create(&rect, parent, 0);
    return m_view != nullptr;
}

intptr_t ViewClient::Send(int32_t code, intptr_t p1, intptr_t p2)
{
    if (!m_view || !m_command)
        return -1;
    return m_command(m_view, code, p1, p2);
}

std::optional<int32_t> ViewClient::Mode()
{
    const intptr_t mode = Send(VC_GETMODE);
    if (mode == -1)
        return std::nullopt;
    return static_cast<int32_t>(mode);
}

bool ViewClient::IsScheduleMode() { return Send(VC_GETMODE) != 0; }

void ViewClient::SetMode(int32_t mode) { Send(VC_SETMODE, mode); }

void ViewClient::SwitchMode(int32_t mode) { Send(VC_SWITCHMODE, mode); }

std::optional<DateValue> ViewClient::Month()
{
    const intptr_t result = Send(VC_GETMONTH);
    if (result == -1 || result == 0)
        return std::nullopt;
    const auto* month = reinterpret_cast<const DATEREC*>(result);
    return DateValue{month->date, month->status};
}

void ViewClient::SetMonth(const DateValue& month)
{
    DATEREC record{month.date, month.status};
    Send(VC_SETMONTH, Pointer(&record));
}

void ViewClient::NextMonth() { Send(VC_NEXTMONTH); }

void ViewClient::PreviousMonth() { Send(VC_PREVMONTH); }

void ViewClient::ThisMonth() { Send(VC_THISMONTH); }

std::optional<DateValue> ViewClient::SelectedDay()
{
    DATEREC selected{0.0, 0};
    if (Send(VC_GETSELDATE, Pointer(&selected)) != 0)
        return std::nullopt;
    return DateValue{selected.date, selected.status};
}

void ViewClient::SelectDay(int32_t day) { Send(VC_SELECTDAY, day); }

std::optional<VIEWFONTS> ViewClient::Fonts()
{
    const intptr_t fonts = Send(VC_GETFONTS);
    if (fonts == -1 || fonts == 0)
        return std::nullopt;
    return *reinterpret_cast<const VIEWFONTS*>(fonts);
}

void ViewClient::ReloadFonts(const VIEWFONTS& fonts) { Send(VC_RELOADFONTS, Pointer(&fonts)); }

void ViewClient::ReloadSavedFonts() { Send(VC_RELOADFONTS, 0); }

void ViewClient::ResetFonts() { Send(VC_RESETFONTS); }

void ViewClient::Redraw() { Send(VC_REDRAW); }

void ViewClient::Move(const MVRECT& rect) { Send(VC_MOVE, Pointer(&rect)); }

void ViewClient::SetHolidays(HOLIDAYPROC holidays, bool plainWeekends)
{
    HOLIDAYINFO info{holidays, plainWeekends ? 1 : 0};
    Send(VC_SETHOLIDAYS, Pointer(&info));
}

void ViewClient::SetHolidayNames(HOLIDAYNAMEPROC names) { Send(VC_SETHOLIDAYNAMES, reinterpret_cast<intptr_t>(names)); }

void ViewClient::SetEventProc(VIEWEVENTPROC proc, void* context)
{
    Send(VC_SETEVENTPROC, reinterpret_cast<intptr_t>(proc), Pointer(context));
}

bool ViewClient::IsDayDoubleClick(int32_t event, void* param)
{
    return event == MV_EVENT_DBLCLICK && reinterpret_cast<intptr_t>(param) == -1;
}

std::optional<std::pair<std::string, std::string>> ViewClient::MovedPersonal(int32_t event, void* param)
{
    const auto* paths = static_cast<const char* const*>(param);
    if (event != MV_EVENT_PERSONALMOVED || !paths || !paths[0] || !paths[1])
        return std::nullopt;
    return std::make_pair(std::string(paths[0]), std::string(paths[1]));
}

void ViewClient::SetDayTexts(const MonthTexts& texts)
{
    std::vector<std::unique_ptr<StringListView>> views;
    std::vector<MVSTRINGLIST> lists;
    views.reserve(texts.size());
    lists.reserve(texts.size());
    for (const auto& day : texts) {
        views.push_back(std::make_unique<StringListView>(day));
        lists.push_back(views.back()->list);
    }
    Send(VC_SETDAYTEXTS, Pointer(lists.data()));
}

void ViewClient::ShowDayList(const DayList& day)
{
    const StringListView times(day.times);
    const StringListView contents(day.contents);
    const StringListView remarks(day.remarks);
    if (m_list)
        m_list(day.title.c_str(), &times.list, &contents.list, &remarks.list, day.entries.data());
}

void ViewClient::SetPersonalPath(const std::string& path) { Send(VC_SETPERSONALPATH, Pointer(path.c_str())); }

void ViewClient::LoadPersonal() { Send(VC_LOADPERSONAL); }

void ViewClient::SavePersonal() { Send(VC_SAVEPERSONAL); }

bool ViewClient::SavePersonalBeforeClosing(bool mayGoBack)
{
    // Without a view there is nothing to keep the window for.
    if (!m_view || !m_command)
        return true;
    return Send(VC_SAVEPERSONAL, mayGoBack ? MV_SAVE_CLOSING : MV_SAVE_EXITING) != -1 || !mayGoBack;
}

void ViewClient::SavePersonalWithoutWindows() { Send(VC_SAVEPERSONAL, MV_SAVE_QUIET); }

void ViewClient::EditMemo() { Send(VC_EDITMEMO); }

void ViewClient::Print() { Send(VC_PRINT, 0); }

void ViewClient::Print(const std::string& memberName) { Send(VC_PRINT, Pointer(memberName.c_str())); }

} // namespace mirovan::shell
