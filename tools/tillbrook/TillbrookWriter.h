#pragma once
// Writes group files and monthly schedule files in the group scheduler's
// layout, every field and prefix form included. Used to build test
// fixtures and the bundled sample data.
#include <cstdint>
#include <string>
#include <vector>

namespace tillbrook {

// A string as it goes to the file: code page 932 bytes, or UTF-16 in
// the 0xFFFE form.
struct FileString {
    std::string bytes;
    bool utf16 = false;
    std::u16string wide;

    FileString() = default;
    FileString(const char* cp932) : bytes(cp932) {}
    FileString(std::string cp932) : bytes(std::move(cp932)) {}
    static FileString Utf16(std::u16string text)
    {
        FileString s;
        s.utf16 = true;
        s.wide = std::move(text);
        return s;
    }
};

struct MemberRecord {
    FileString name;
    FileString code;
    FileString string3;
    std::vector<FileString> moreStrings; // string 4 and beyond
    uint32_t attributes = 0;
    std::vector<uint32_t> moreNumbers; // after the attributes
};

struct GroupRecord {
    uint32_t formatWord = 0x00010002;
    FileString name;
    std::vector<FileString> groupStrings;
    std::vector<uint32_t> groupNumbers;
    // S and N in the header; when left at -1 they follow the longest record.
    int64_t stringsPerMember = -1;
    int64_t numbersPerMember = -1;
    std::vector<MemberRecord> members;
};

struct FileDate {
    int32_t status = 0;
    double value = 0.0;
};

struct EntryRecord {
    uint32_t word1 = 0;
    uint32_t flags = 0;
    FileDate start;
    FileDate end;
    FileDate date3;
    uint32_t number2 = 0;
    uint32_t link = 0;
    std::vector<uint32_t> moreNumbers; // after the link
    FileString content;
    FileString ownerCode;
    FileString string3;
    bool hasRemarks = true;
    FileString remarks;
    std::vector<FileString> moreStrings; // after the remarks
    // Shape override: -1 derives D and T from the fields above.
    int32_t numberCount = -1;
    int32_t stringCount = -1;
};

std::string GroupFileBytes(const GroupRecord& group);
std::string EntryBytes(const EntryRecord& entry);
std::string ScheduleFileBytes(const std::vector<EntryRecord>& entries);

// OLE date of a local date and time, for building entries.
FileDate At(int year, int month, int day, int hour = 0, int minute = 0);

void WriteFile(const std::string& path, const std::string& bytes);

} // namespace tillbrook
