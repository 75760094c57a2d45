#include "program/groupdata/CGroup.h"

#include "support/Archive.h"
#include "support/FileError.h"
#include "support/Log.h"
#include "support/platform/Platform.h"
#include "support/registry/SettingsStore.h"

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
        return a.m_name == b.m_name && a.m_code == b.m_code && a.m_string3 == b.m_string3 &&
               a.m_string4 == b.m_string4 && a.m_attributes == b.m_attributes;
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
    m_selectedIndex = -1;
}

void CGroup::SetSelection(int index)
{
    if (index < 0 || index >= MemberCount()) {
        m_selectedIndex = -1;
        m_selectedCode.clear();
    } else {
        m_selectedIndex = index;
        m_selectedCode = m_members[static_cast<size_t>(index)]->m_code;
    }
    m_chosenCode = m_selectedCode;
}

int CGroup::FindMember(const std::string& code) const
{
    for (const auto& m : m_members)
        if (m->m_code == code)
            return m->m_index;
    return -1;
}

void CGroup::ReadFrom(IByteSource& source)
{
    ArchiveReader ar(source);
    m_formatWord = ar.ReadU32();
    m_name = ar.ReadString();
    const uint32_t memberCount = ar.ReadU32();
    const uint32_t stringsPerMember = ar.ReadU32();
    const uint32_t numbersPerMember = ar.ReadU32();
    const uint32_t groupStrings = ar.ReadU32();
    const uint32_t groupNumbers = ar.ReadU32();
    for (uint32_t i = 0; i < groupStrings; ++i) {
        std::string s = ar.ReadString();
        if (i == 0)
            m_groupString = std::move(s);
    }
    ar.Skip(uint64_t{groupNumbers} * 4);
    // The counts only announce fields beyond the ones always present; a
    // count larger than the file runs into its end, never into memory.
    for (uint32_t i = 0; i < memberCount; ++i) {
        auto member = std::make_unique<CMember>();
        member->m_index = static_cast<int32_t>(m_members.size());
        member->m_name = ar.ReadString();
        member->m_code = ar.ReadString();
        member->m_string3 = ar.ReadString();
        if (stringsPerMember >= 4)
            member->m_string4 = ar.ReadString();
        for (uint32_t s = 4; s < stringsPerMember; ++s)
            ar.ReadString();
        member->m_attributes = ar.ReadU32();
        if (numbersPerMember > 1)
            ar.Skip(uint64_t{numbersPerMember - 1} * 4);
        m_members.push_back(std::move(member));
    }
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
