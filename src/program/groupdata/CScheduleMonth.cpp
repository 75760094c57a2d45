#include "program/groupdata/CScheduleMonth.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/ProgramStrings.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace mirovan {
namespace {

DateValue Now()
{
    const std::tm local = platform::LocalTimeNow();
    const auto v = ToOleDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             std::min(local.tm_sec, 59));
    return DateValue{v.value_or(0.0), 0};
}

DateValue ReadDate(ArchiveReader& ar)
{
    DateValue d;
    d.status = ar.ReadI32();
    d.date = ar.ReadDouble();
    return d;
}

void ReadEntry(ArchiveReader& ar, CScheduleEntry& e)
{
    e.m_word1 = ar.ReadU32();
    const uint32_t shape = ar.ReadU32();
    const uint32_t numbers = shape & 0xFFFF;
    const uint32_t strings = shape >> 16;
    e.m_flags = ar.ReadU32();
    e.m_start = ReadDate(ar);
    e.m_end = ReadDate(ar);
    e.m_date3 = ReadDate(ar);
    e.m_number2 = ar.ReadU32();
    e.m_link = ar.ReadU32();
    if (numbers > 2)
        ar.Skip(uint64_t{numbers - 2} * 4);
    e.m_content = ar.ReadString();
    e.m_ownerCode = ar.ReadString();
    e.m_string3 = ar.ReadString();
    if (strings >= 4)
        e.m_remarks = ar.ReadString();
    for (uint32_t i = 4; i < strings; ++i)
        ar.ReadString();
}

void ReportUnreadable(IUserInterface& ui, int cause, const std::string& path)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "スケジュールファイルを読み込めません。(例外コード：%d)", cause);
    ui.ShowMessage(std::string(buffer) + "\r\nファイル名：" + platform::PathForMessage(path), MessageIcon::Exclamation);
}

} // namespace

CScheduleMonth::CScheduleMonth(const CGroup& group, IUserInterface& ui) : m_group(group), m_ui(ui), m_month(Now()) {}

CScheduleMonth::~CScheduleMonth() { Clear(); }

void CScheduleMonth::SetMonth(DateValue month)
{
    m_month = month;
    RecomputePath();
}

std::string CScheduleMonth::MonthFilePath(const std::string& groupPath, int year, int month)
{
    const size_t dot = groupPath.rfind('.');
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%d%02d.sch", year, month);
    return (dot == std::string::npos ? std::string() : groupPath.substr(0, dot)) + suffix;
}

void CScheduleMonth::RecomputePath()
{
    const auto civil = m_month.Civil();
    // A month that is no real date keeps the last path rather than
    // pointing at a file named after garbage.
    if (civil)
        m_path = MonthFilePath(m_group.Path(), civil->year, civil->month);
}

void CScheduleMonth::Clear()
{
    while (!m_entries.empty())
        m_entries.pop_back();
    m_linkIndex.Clear();
}

void CScheduleMonth::LoadFrom(IByteSource& source)
{
    ArchiveReader ar(source);
    while (!ar.AtEnd()) {
        auto entry = std::make_unique<CScheduleEntry>();
        entry->m_ownIndex = static_cast<int32_t>(m_entries.size());
        ReadEntry(ar, *entry);
        entry->m_month = this;
        m_entries.push_back(std::move(entry));
    }
}

void CScheduleMonth::Load()
{
    WaitCursor wait(m_ui);
    Clear();
    // A record cut off by the end of the file is dropped silently.
    ReadPath();
}

CScheduleMonth::ReadOutcome CScheduleMonth::LoadIfWhole()
{
    std::vector<std::unique_ptr<CScheduleEntry>> previous = std::move(m_entries);
    m_entries.clear();
    CLinkIndex previousLinks = std::move(m_linkIndex);
    m_linkIndex.Clear();
    const ReadOutcome outcome = ReadPath();
    if (outcome == ReadOutcome::Whole)
        return outcome;
    m_entries = std::move(previous);
    m_linkIndex = std::move(previousLinks);
    return outcome;
}

CScheduleMonth::ReadOutcome CScheduleMonth::ReadPath()
{
    m_readFailure = {};
    try {
        platform::InputFile file(m_path);
        if (file.BytesLeft() > kMaxFileBytes)
            throw CFileException(kFileInvalid, EFBIG, m_path);
        LoadFrom(file);
        return ReadOutcome::Whole;
    } catch (const CArchiveException& ex) {
        if (ex.m_cause == kArchiveEndOfFile)
            return ReadOutcome::CutOff;
        ReportUnreadable(m_ui, ex.m_cause, m_path);
        m_readFailure = {kFileInvalid, true};
    } catch (const CFileException& ex) {
        // No file for the month is a month without entries. A read failure
        // is not said here: whatever was read stays. Only something that
        // is no schedule file at all (a FIFO, a device, one
        // far too large) is.
        if (ex.m_cause == kFileNotFound)
            return ReadOutcome::Whole;
        if (ex.m_cause != kFileBadPath)
            m_readFailure = {ex.m_cause, ex.m_cause == kFileInvalid};
        if (ex.m_cause != kFileInvalid)
            return ReadOutcome::Unreadable;
        ReportUnreadable(m_ui, ex.m_cause, m_path);
    }
    return ReadOutcome::Refused;
}

void CScheduleMonth::Link()
{
    m_linkIndex.Clear();
    const auto count = static_cast<uint32_t>(m_entries.size());
    // A message box runs the event loop, and a command queued there may
    // load another month: the messages wait until the walk is done.
    std::vector<std::string> messages;
    for (auto& e : m_entries) {
        if (e->m_link >= count) {
            char buffer[256];
            std::snprintf(buffer, sizeof buffer, ProgramString(kFatalScheduleError).data(), 1, e->m_ownIndex);
            messages.emplace_back(buffer);
            continue;
        }
        const uint32_t kind = e->LinkKind();
        if (kind == CScheduleEntry::kReplacement || kind == CScheduleEntry::kDeletion)
            m_entries[e->m_link]->m_superseded = 1;
        if (kind != 0) {
            // Every earlier entry with this link was superseded when the
            // one after it came, so only the last needs it now.
            const int32_t previous = m_linkIndex.FindLast(e->m_link);
            if (previous >= 0)
                m_entries[static_cast<size_t>(previous)]->m_superseded = 1;
            m_linkIndex.Add(e->m_link, e->m_ownIndex);
        }
    }
    for (const std::string& message : messages)
        m_ui.ShowMessage(message, MessageIcon::Stop);
}

} // namespace mirovan
