#pragma once
// The open Tillbrook group: its name and its members in file order, and
// the member the user has chosen, kept per group in the registry.
#include "support/UserInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mirovan {

class IByteSource;

class CMember {
public:
    int32_t m_index = 0;
    std::string m_name;
    std::string m_code;
    std::string m_string3;
    std::string m_string4;
    uint32_t m_attributes = 0;

    static constexpr uint32_t kHidden = 0x20;
    bool IsHidden() const { return (m_attributes & kHidden) != 0; }
};

class CGroup;

// What the group tells the control bar.
class IGroupBar {
public:
    virtual ~IGroupBar() = default;
    virtual void ShowGroupName(const std::string& name) = 0;
    virtual void RefillMemberList(const CGroup& group) = 0;
    // Entry 0 is "(選択なし)", member i is entry i + 1. The bar shows the
    // entry and runs what a choice of that entry runs.
    virtual void SelectEntry(int entry) = 0;
};

class CGroup {
public:
    // Without persistence the selection is restored but never written
    // back, for tools that must not change what the program remembers.
    enum class Persistence { ReadWrite, ReadOnly };

    explicit CGroup(IUserInterface& ui, IGroupBar* bar = nullptr, Persistence persistence = Persistence::ReadWrite);
    ~CGroup();
    CGroup(const CGroup&) = delete;
    CGroup& operator=(const CGroup&) = delete;

    void SetBar(IGroupBar* bar) { m_bar = bar; }

    // Reads the group file; an empty path reads the current one again.
    // Returns 1 when the whole file was read, else 0.
    int ReadFile(const std::string& path);
    // The same from a stream, for tests and fuzzing; throws the stream's
    // archive and file exceptions.
    void ReadFrom(IByteSource& source);

    // Reads the current group file again for one who follows it while
    // others write it. The loaded group changes only when the file reads
    // whole and differs from it; a failure shows no message and loses
    // nothing.
    enum class Reload {
        Same,
        Replaced,
        CutOff,     // shorter than its counts say (being written) or damaged
        Unreadable, // missing, or the medium failed
    };
    Reload ReloadIfChanged();

    int FindMember(const std::string& code) const;
    void SaveSelection() const;
    void Clear();

    int MemberCount() const { return static_cast<int>(m_members.size()); }
    const CMember& MemberAt(int index) const { return *m_members.at(static_cast<size_t>(index)); }

    // The control bar's choice: the list entry number minus one.
    void SetSelection(int index);
    int SelectedIndex() const { return m_selectedIndex; }
    const std::string& SelectedCode() const { return m_selectedCode; }
    // The member the user chose: the one shown, or one the file lacks for
    // now, which is kept and shown again when it is back.
    const std::string& ChosenCode() const { return m_chosenCode; }

    const std::string& Name() const { return m_name; }
    const std::string& Path() const { return m_path; }
    const std::string& GroupString() const { return m_groupString; }
    uint32_t FormatWord() const { return m_formatWord; }

private:
    void RestoreSelection(bool whole);
    bool SameAs(const CGroup& other) const;

    IUserInterface& m_ui;
    IGroupBar* m_bar;
    Persistence m_persistence;
    std::vector<std::unique_ptr<CMember>> m_members;
    int32_t m_selectedIndex = -1;
    std::string m_name;
    std::string m_path;
    std::string m_groupString;
    uint32_t m_formatWord = 0;
    std::string m_selectedCode;
    std::string m_chosenCode;
};

} // namespace mirovan
