#include "program/groupdata/CGroup.h"

#include "support/Archive.h"
#include "support/ArchiveBytes.h"
#include "support/FileError.h"
#include "support/platform/Log.h"
#include "support/platform/Platform.h"
#include "support/settings/SettingsStore.h"

#include <algorithm>
#include <exception>

namespace mirovan {
namespace {

std::string Describe(int fileCause)
{
    return fileCause == kFileNotFound ? "ファイルが見つかりません。" : "(取得できません)";
}

// Built by joining, not in a fixed buffer: a long path is never cut.
std::string FileErrorMessage(const CFileException& ex, const std::string& path)
{
    return "ファイルが開けません。\r\nエラー内容：" + Describe(ex.m_cause) + "\r\n例外コード：" +
           std::to_string(ex.m_cause) + "\r\nOSエラーコード：" + std::to_string(ex.m_osError) + "\r\nファイル名：" +
           platform::PathForMessage(path);
}

std::string ArchiveErrorMessage(const CArchiveException& ex, const std::string& path)
{
    return "ファイルが開けません。\r\nエラー内容：(取得できません)\r\n例外コード：" + std::to_string(ex.m_cause) +
           "\r\nファイル名：" + platform::PathForMessage(path);
}

// Keeps a look at a file to itself.
class QuietUi : public IUserInterface {
public:
    void ShowMessage(const std::string&, MessageIcon) override {}
};

} // namespace

bool CGroup::SameAs(const CGroup& other) const
{
    auto same = [](const CMember& a, const CMember& b) {
        return a.Name() == b.Name() && a.Code() == b.Code() && a.String3() == b.String3() &&
               a.String4() == b.String4() && a.Attributes() == b.Attributes();
    };
    if (other.m_formatWord != m_formatWord || other.m_name != m_name || other.m_groupString != m_groupString ||
        other.MemberCount() != MemberCount())
        return false;
    for (int i = 0; i < MemberCount(); ++i)
        if (!same(other.MemberAt(i), MemberAt(i)))
            return false;
    return true;
}

CGroup::Reload CGroup::ReloadIfChanged()
{
    QuietUi ui;
    CGroup probe(ui, nullptr, Persistence::ReadOnly);
    try {
        platform::InputFile file(m_path);
        probe.ReadFrom(file);
    } catch (const CFileException&) {
        return Reload::Unreadable;
    } catch (const CArchiveException&) {
        return Reload::CutOff;
    }
    if (SameAs(probe))
        return Reload::Same;
    Clear();
    m_members = std::move(probe.m_members);
    m_bytes = std::move(probe.m_bytes);
    m_converted = std::move(probe.m_converted);
    m_hasString4 = probe.m_hasString4;
    m_name = std::move(probe.m_name);
    m_groupString = std::move(probe.m_groupString);
    m_formatWord = probe.m_formatWord;
    m_selectedCode.clear();
    if (m_bar) {
        m_bar->ShowGroupName(m_name);
        m_bar->RefillMemberList(*this);
    }
    RestoreSelection(true);
    return Reload::Replaced;
}

CGroup::CGroup(IUserInterface& ui, IGroupBar* bar, Persistence persistence)
    : m_ui(ui), m_bar(bar), m_persistence(persistence)
{
}

CGroup::~CGroup() { SaveSelection(); }

void CGroup::SaveSelection() const
{
    if (m_persistence == Persistence::ReadOnly || m_name.empty())
        return;
    settings::Write(settings::kSelectedMember, m_name, m_chosenCode);
}

void CGroup::Clear()
{
    SaveSelection();
    m_members.clear();
    m_bytes.reset();
    m_converted.clear();
    m_selectedIndex = -1;
}

void CGroup::SetSelection(int index)
{
    if (index < 0 || index >= MemberCount()) {
        m_selectedIndex = -1;
        m_selectedCode.clear();
    } else {
        m_selectedIndex = index;
        m_selectedCode = MemberAt(index).Code();
    }
    m_chosenCode = m_selectedCode;
}

CMember CGroup::MemberAt(int index) const
{
    const Stored& stored = m_members.at(static_cast<size_t>(index));
    CMember m;
    m.m_text =
        stored.text >= kConverted ? m_converted.data() + (stored.text - kConverted) : m_bytes.get() + stored.text;
    m.m_attributes = stored.attributes;
    m.m_index = index;
    m.m_hasString4 = m_hasString4;
    return m;
}

int CGroup::FindMember(const std::string& code) const
{
    for (int i = 0; i < MemberCount(); ++i)
        if (MemberAt(i).Code() == code)
            return i;
    return -1;
}

// Where the reading of a group file is: the parts come in this order, and
// each is taken only when the bytes so far hold it whole.
struct CGroup::Parse {
    enum class Part { FormatWord, Name, Counts, GroupStrings, GroupNumbers, Members, Done };
    Part part = Part::FormatWord;
    size_t pos = 0;
    // A part cut off by the end of the bytes so far is looked at again
    // only once they have doubled past its start: a member of countless
    // strings is not walked again for every piece.
    size_t retryAt = 0;
    const char* cut = nullptr;
    // The room read for, what the source said it held.
    size_t room = 0;
    uint32_t memberCount = 0;
    uint32_t stringsPerMember = 0;
    uint32_t numbersPerMember = 0;
    uint32_t groupStrings = 0;
    uint32_t groupNumbers = 0;
    uint32_t groupStringsRead = 0;
};

bool CGroup::ParseSome(Parse& parse, const unsigned char* begin, size_t size)
{
    if (parse.part == Parse::Part::Done)
        return true;
    if (size < parse.retryAt)
        return false;
    const unsigned char* const end = begin + size;
    auto u32 = [](const unsigned char* b) {
        return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
               static_cast<uint32_t>(b[3]) << 24;
    };
    auto cutOff = [&](const char* why) {
        parse.cut = why;
        parse.retryAt = parse.pos + 2 * (size - parse.pos);
        return false;
    };
    for (;;) {
        const unsigned char* p = begin + parse.pos;
        switch (parse.part) {
        case Parse::Part::FormatWord:
            if (end - p < 4)
                return cutOff(kCutInsideField);
            m_formatWord = u32(p);
            p += 4;
            parse.part = Parse::Part::Name;
            break;
        case Parse::Part::Name: {
            StringField f;
            if (!ReadField(p, end, f, parse.cut))
                return cutOff(parse.cut);
            m_name = FieldCp932(f);
            parse.part = Parse::Part::Counts;
            break;
        }
        case Parse::Part::Counts: {
            if (end - p < 20)
                return cutOff(kCutInsideField);
            parse.memberCount = u32(p);
            parse.stringsPerMember = u32(p + 4);
            parse.numbersPerMember = u32(p + 8);
            parse.groupStrings = u32(p + 12);
            parse.groupNumbers = u32(p + 16);
            p += 20;
            m_hasString4 = parse.stringsPerMember >= 4;
            // Room for the members announced, as far as the file can
            // hold them: a count is no reason to allocate.
            const uint64_t smallest = 3 + uint64_t{m_hasString4} +
                                      (parse.stringsPerMember > 4 ? parse.stringsPerMember - 4 : 0) + 4 +
                                      (parse.numbersPerMember > 1 ? uint64_t{parse.numbersPerMember - 1} * 4 : 0);
            const uint64_t room = std::max(parse.room, size) - static_cast<size_t>(p - begin);
            m_members.reserve(static_cast<size_t>(std::min<uint64_t>(parse.memberCount, room / smallest)));
            parse.part = Parse::Part::GroupStrings;
            break;
        }
        case Parse::Part::GroupStrings: {
            if (parse.groupStringsRead == parse.groupStrings) {
                parse.part = Parse::Part::GroupNumbers;
                break;
            }
            StringField f;
            if (!ReadField(p, end, f, parse.cut))
                return cutOff(parse.cut);
            if (parse.groupStringsRead++ == 0)
                m_groupString = FieldCp932(f);
            break;
        }
        case Parse::Part::GroupNumbers: {
            const uint64_t skip = uint64_t{parse.groupNumbers} * 4;
            if (skip > static_cast<uint64_t>(end - p))
                return cutOff(kLengthPastEnd);
            p += skip;
            parse.part = Parse::Part::Members;
            break;
        }
        case Parse::Part::Members: {
            if (m_members.size() == parse.memberCount) {
                parse.part = Parse::Part::Done;
                return true;
            }
            // The counts only announce fields beyond the ones always
            // present.
            const unsigned char* text = p;
            const size_t kept = m_hasString4 ? 4 : 3;
            StringField fields[4];
            bool unicode = false;
            for (size_t i = 0; i < kept; ++i) {
                if (!ReadField(p, end, fields[i], parse.cut))
                    return cutOff(parse.cut);
                unicode = unicode || fields[i].unicode;
            }
            StringField ignored;
            for (uint32_t i = 4; i < parse.stringsPerMember; ++i)
                if (!ReadField(p, end, ignored, parse.cut))
                    return cutOff(parse.cut);
            if (end - p < 4)
                return cutOff(kCutInsideField);
            const uint32_t attributes = u32(p);
            p += 4;
            if (parse.numbersPerMember > 1) {
                const uint64_t skip = uint64_t{parse.numbersPerMember - 1} * 4;
                if (skip > static_cast<uint64_t>(end - p))
                    return cutOff(kLengthPastEnd);
                p += skip;
            }
            uint32_t at = static_cast<uint32_t>(text - begin);
            if (unicode) {
                at = kConverted + static_cast<uint32_t>(m_converted.size());
                for (size_t i = 0; i < kept; ++i)
                    AppendPrefixed(m_converted, FieldCp932(fields[i]));
            }
            m_members.push_back({at, attributes});
            break;
        }
        case Parse::Part::Done: return true;
        }
        parse.pos = static_cast<size_t>(p - begin);
    }
}

void CGroup::ReadFrom(IByteSource& source)
{
    m_members.clear();
    m_bytes.reset();
    m_converted.clear();
    Parse parse;
    size_t size = 0;
    // Reading stops once the group is whole: bytes after it are not read.
    const std::exception_ptr failure =
        ReadAll(source, m_bytes, size, kMostBytes, [&](const char* data, size_t n, size_t room) {
            parse.room = std::min(room, kMostBytes);
            const size_t used = std::min(n, kMostBytes);
            return !ParseSome(parse, reinterpret_cast<const unsigned char*>(data), used) && used < kMostBytes;
        });
    parse.retryAt = 0;
    if (ParseSome(parse, reinterpret_cast<const unsigned char*>(m_bytes.get()), std::min(size, kMostBytes)))
        return;
    // A failing medium, not the file, cut the group short.
    if (failure)
        std::rethrow_exception(failure);
    throw CArchiveException(kArchiveEndOfFile, parse.cut);
}

int CGroup::ReadFile(const std::string& path)
{
    WaitCursor wait(m_ui);
    Clear();
    // The name and choice are the new file's; a file that fails before
    // its name must not carry the old group's name to the next save.
    m_name.clear();
    m_selectedCode.clear();
    m_chosenCode.clear();
    if (!path.empty())
        m_path = path;

    bool opened = false;
    bool complete = false;
    try {
        platform::InputFile file(m_path);
        opened = true;
        ReadFrom(file);
        complete = true;
        if (m_bar)
            m_bar->ShowGroupName(m_name);
    } catch (const CFileException& ex) {
        WriteLog("CGroup::ReadFile() ex->m_cause=", ex.m_cause);
        m_ui.ShowMessage(FileErrorMessage(ex, m_path), MessageIcon::Exclamation);
    } catch (const CArchiveException& ex) {
        m_ui.ShowMessage(ArchiveErrorMessage(ex, m_path), MessageIcon::Exclamation);
    }

    if (m_bar)
        m_bar->RefillMemberList(*this);
    if (opened)
        RestoreSelection(complete);
    return complete ? 1 : 0;
}

void CGroup::RestoreSelection(bool whole)
{
    const std::string code = settings::Read(settings::kSelectedMember, m_name);
    // A file that did not read to its end shows no one: its member list
    // is only a part.
    const int index = m_name.empty() || !whole ? -1 : FindMember(code);
    // A member missing from the file for now stays the user's choice,
    // and is shown again when it is back.
    SetSelection(index);
    m_chosenCode = m_name.empty() ? std::string() : code;
    if (m_bar)
        m_bar->SelectEntry(index + 1);
}

} // namespace mirovan
