#pragma once
// The personal file's bytes (*.mvp): a count, then one record per month,
// its key and its days' texts joined by TAB. Reading and writing only:
// what is held in memory, and when and how it is saved, is the store's.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace mirovan {
class IByteSource;
class IByteSink;
} // namespace mirovan

namespace mirovan::personal {

// How long a reader waits for a save in progress, and a save for readers.
inline constexpr std::chrono::milliseconds kLockWait{2000};

// How far the records of a file reached, for telling a whole file from a
// cut or damaged one.
struct RecordsRead {
    uint64_t bytes = 0;
    bool trailing = false; // bytes after the last counted record
};

// Appends the records in file order, repeated months included. A record
// cut off by the end throws CArchiveException (kArchiveEndOfFile) with
// the records before it appended; the medium's failures pass through.
RecordsRead ReadRecords(IByteSource& source, std::vector<uint32_t>& keys, std::vector<std::string>& texts);
void WriteRecords(IByteSink& sink, const std::vector<uint32_t>& keys, const std::vector<std::string>& texts);
// The size WriteRecords gives the records.
uint64_t RecordBytes(const std::vector<std::string>& texts);

// Opens the file shared with other readers, waits up to wait for a save
// in progress and appends its records. Open, lock and read failures throw
// CFileException; a file cut inside a record throws as ReadRecords does.
RecordsRead ReadLockedFile(const std::string& path, std::chrono::milliseconds wait, std::vector<uint32_t>& keys,
                           std::vector<std::string>& texts);

// A month text's days, day 1 first; missing trailing days are not there.
std::vector<std::string> SplitDays(const std::string& text);
// The month text of the days; empty when no day has text.
std::string JoinDays(const std::vector<std::string>& days);

// "ファイル「path」が開けません。"
std::string CannotOpenText(const std::string& path);
// The report of a failed read by a reader that never creates the file.
std::string ReadFailureText(int fileCause, const std::string& path);

} // namespace mirovan::personal
