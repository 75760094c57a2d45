#include "program/groupdata/CScheduleMonth.h"

#include "program/groupdata/CGroup.h"
#include "program/groupdata/ProgramStrings.h"
#include "support/Archive.h"
#include "support/ArchiveBytes.h"
#include "support/Codepage.h"
#include "support/FileError.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
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

// Where a record keeps its fields.
struct RecordView {
    const char* fixed = nullptr;
    const char* text = nullptr;
    bool hasRemarks = false;
};

// The record at p: checks it is whole and returns where the next begins,
// or null with the reason; with a view, says where its fields are,
// converting UTF-16 strings into converted.
const unsigned char* ParseRecord(const unsigned char* p, const unsigned char* end, RecordView* view,
                                 std::deque<std::string>& converted, const char*& cut)
{
    if (static_cast<size_t>(end - p) < CScheduleEntry::kFixedSize) {
        cut = kCutInsideField;
        return nullptr;
    }
    const unsigned char* fixed = p;
    const uint32_t shape = static_cast<uint32_t>(p[4] | p[5] << 8 | p[6] << 16 | static_cast<uint32_t>(p[7]) << 24);
    const uint32_t numbers = shape & 0xFFFF;
    const uint32_t strings = shape >> 16;
    p += CScheduleEntry::kFixedSize;
    if (numbers > 2) {
        const uint64_t skip = uint64_t{numbers - 2} * 4;
        if (skip > static_cast<uint64_t>(end - p)) {
            cut = kLengthPastEnd;
            return nullptr;
        }
        p += skip;
    }
    const unsigned char* text = p;
    const size_t kept = strings >= 4 ? 4 : 3;
    StringField fields[4];
    bool anyUnicode = false;
    for (size_t i = 0; i < kept; ++i) {
        if (!ReadField(p, end, fields[i], cut))
            return nullptr;
        anyUnicode = anyUnicode || fields[i].unicode;
    }
    StringField ignored;
    for (uint32_t i = 4; i < strings; ++i)
        if (!ReadField(p, end, ignored, cut))
            return nullptr;
    if (view) {
        view->fixed = reinterpret_cast<const char*>(fixed);
        view->text = reinterpret_cast<const char*>(text);
        view->hasRemarks = kept == 4;
        if (anyUnicode) {
            std::string& out = converted.emplace_back();
            for (size_t i = 0; i < kept; ++i)
                AppendPrefixed(out, FieldCp932(fields[i]));
            view->text = out.data();
        }
    }
    return p;
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
    m_entries.clear();
    m_bytes.clear();
    m_linkIndex.Clear();
}

void CScheduleMonth::LoadFrom(IByteSource& source)
{
    Bytes& bytes = m_bytes.emplace_back();
    // The records are counted as the pieces come, so that the entries take
    // no more room than they need.
    size_t whole = 0;
    size_t counted = 0;
    const char* cut = nullptr;
    const std::exception_ptr failure =
        ReadAll(source, bytes.data, bytes.size, SIZE_MAX, [&](const char* data, size_t size, size_t) {
            const auto* begin = reinterpret_cast<const unsigned char*>(data);
            const unsigned char* p = begin + counted;
            while (const unsigned char* next = ParseRecord(p, begin + size, nullptr, bytes.converted, cut)) {
                p = next;
                ++whole;
            }
            counted = static_cast<size_t>(p - begin);
            return true;
        });
    m_entries.reserve(m_entries.size() + whole);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data.get());
    const unsigned char* end = p + bytes.size;
    for (size_t i = 0; i < whole; ++i) {
        RecordView view;
        p = ParseRecord(p, end, &view, bytes.converted, cut);
        CScheduleEntry& entry = m_entries.emplace_back();
        entry.m_ownIndex = static_cast<int32_t>(m_entries.size() - 1);
        entry.m_fixed = view.fixed;
        entry.m_text = view.text;
        entry.m_hasRemarks = view.hasRemarks;
        entry.m_flags = entry.U32(8);
        entry.m_link = entry.U32(52);
    }
    // A failing medium, not the file, cut the last record short.
    if (failure)
        std::rethrow_exception(failure);
    if (p != end)
        throw CArchiveException(kArchiveEndOfFile, cut);
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
    std::vector<CScheduleEntry> previous = std::move(m_entries);
    m_entries.clear();
    std::vector<Bytes> previousBytes = std::move(m_bytes);
    m_bytes.clear();
    CLinkIndex previousLinks = std::move(m_linkIndex);
    m_linkIndex.Clear();
    const ReadOutcome outcome = ReadPath();
    if (outcome == ReadOutcome::Whole)
        return outcome;
    m_entries = std::move(previous);
    m_bytes = std::move(previousBytes);
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
    size_t links = 0;
    for (const CScheduleEntry& e : m_entries)
        links += e.LinkKind() != 0 && e.LinkTarget() < count;
    m_linkIndex.Reserve(links, count);
    // A message box runs the event loop, and a command queued there may
    // load another month: the messages wait until the walk is done.
    std::vector<std::string> messages;
    for (CScheduleEntry& e : m_entries) {
        const uint32_t link = e.LinkTarget();
        if (link >= count) {
            char buffer[256];
            std::snprintf(buffer, sizeof buffer, ProgramString(kFatalScheduleError).data(), 1, e.m_ownIndex);
            messages.emplace_back(buffer);
            continue;
        }
        const uint32_t kind = e.LinkKind();
        if (kind == CScheduleEntry::kReplacement || kind == CScheduleEntry::kDeletion)
            m_entries[link].m_superseded = true;
        if (kind != 0) {
            // Every earlier entry with this link was superseded when the
            // one after it came, so only the last needs it now.
            const int32_t previous = m_linkIndex.FindLast(link);
            if (previous >= 0)
                m_entries[static_cast<size_t>(previous)].m_superseded = true;
            m_linkIndex.Add(link, e.m_ownIndex);
        }
    }
    for (const std::string& message : messages)
        m_ui.ShowMessage(message, MessageIcon::Stop);
}

} // namespace mirovan
