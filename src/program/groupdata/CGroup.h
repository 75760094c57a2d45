#pragma once
// The open Tillbrook group: its name and its members in file order, and
// the member the user has chosen, kept per group in the registry.
#include "support/ArchiveBytes.h"
#include "support/UserInterface.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {

class IByteSource;

// One member of the open group. It refers to the bytes its group keeps
// and lives no longer than the group's current reading.
class CMember {
public:
    static constexpr uint32_t kHidden = 0x20;

    int32_t Index() const { return m_index; }
    // Code page 932 bytes, also for strings stored in UTF-16.
    std::string_view Name() const { return PrefixedText(m_text, 0); }
    std::string_view Code() const { return PrefixedText(m_text, 1); }
    std::string_view String3() const { return PrefixedText(m_text, 2); }
    std::string_view String4() const { return m_hasString4 ? PrefixedText(m_text, 3) : std::string_view(); }
    uint32_t Attributes() const { return m_attributes; }
    bool IsHidden() const { return (m_attributes & kHidden) != 0; }

private:
    friend class CGroup;

    const char* m_text = nullptr;
    uint32_t m_attributes = 0;
    int32_t m_index = 0;
    bool m_hasString4 = false;
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
    // The same from a stream, for tests and fuzzing, in place of the
    // members read before; throws the stream's archive and file
    // exceptions, keeping the members read whole before them.
    void ReadFrom(IByteSource& source);

    // A group file is read up to this size; what lies beyond, which no
    // real group reaches, reads as the end of the file. Offsets into the
    // bytes kept, converted strings included, then fit in 32 bits.
    static constexpr size_t kMostBytes = size_t{1} << 31;

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
    // A view valid until the group is read again.
    CMember MemberAt(int index) const;

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
    struct Parse;
    // Takes the parts of the file that the bytes so far hold whole;
    // true when the group is complete.
    bool ParseSome(Parse& parse, const unsigned char* begin, size_t size);
    void RestoreSelection(bool whole);
    bool SameAs(const CGroup& other) const;

    IUserInterface& m_ui;
    IGroupBar* m_bar;
    Persistence m_persistence;
    // Where each member's strings begin (at offsets from kConverted on,
    // in m_converted), and its attributes: eight bytes a member beside
    // the file's own.
    struct Stored {
        uint32_t text;
        uint32_t attributes;
    };
    static constexpr uint32_t kConverted = 0x80000000;
    std::vector<Stored> m_members;
    std::unique_ptr<char[]> m_bytes;
    // The strings of members that stored any as UTF-16, in code page 932.
    std::string m_converted;
    bool m_hasString4 = false;
    int32_t m_selectedIndex = -1;
    std::string m_name;
    std::string m_path;
    std::string m_groupString;
    uint32_t m_formatWord = 0;
    std::string m_selectedCode;
    std::string m_chosenCode;
};

} // namespace mirovan
