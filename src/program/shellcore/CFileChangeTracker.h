#pragma once
// Decides when a file that others write (a group or month file in a
// shared folder) is worth reading again: only once it has changed from
// what was last read and then kept the same size and modification time
// over two checks, so that a file still being written is left alone.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace mirovan::shell {

// What one look at a file found; no file at all is a state of its own.
struct FileStamp {
    bool exists = false;
    int64_t size = 0;
    int64_t modifiedMs = 0;

    bool operator==(const FileStamp&) const = default;
};

// One look at a file's size and modification time, past any cache; a
// missing file is a stamp that does not exist, and null means the look
// itself failed (the folder cannot be reached).
std::optional<FileStamp> LookAtFile(const std::string& path);

class CFileChangeTracker {
public:
    enum class Decision {
        Nothing,    // as last read
        CheckAgain, // changed, not yet settled: look again soon
        Read,       // changed and settled: read it now
    };

    // The quiet time between the two checks that must agree.
    static constexpr std::chrono::milliseconds kSettleTime{500};
    // The quiet time for a file seen shorter than its last whole reading
    // (or gone): a writer rewriting it may pause at a record boundary,
    // where it reads whole but has lost what is still to come.
    static constexpr std::chrono::milliseconds kShrinkSettleTime{20000};

    explicit CFileChangeTracker(std::chrono::milliseconds shrinkSettle = kShrinkSettleTime)
        : m_shrinkSettle(shrinkSettle)
    {
    }

    // Follows path from now on; what it is now counts as read whole.
    void Follow(const std::string& path, const FileStamp& current);
    const std::string& Path() const { return m_path; }

    // One look at the file at monotonic time now.
    Decision Observe(const FileStamp& stamp, std::chrono::milliseconds now);

    // After a Read: the file was read whole at that stamp. A reading that
    // failed records nothing, so the next look reads it again.
    void Read(const FileStamp& stamp);
    // It was cut off or refused there, and stays unread until it changes.
    void Skip(const FileStamp& stamp);

private:
    std::string m_path;
    FileStamp m_read;
    // The size of the last whole reading; unknown for a file followed
    // before any.
    std::optional<int64_t> m_wholeSize;
    // Seen shorter than that since: whatever follows is a rewrite under
    // way until it has been quiet for the long settle time.
    bool m_rewriting = false;
    std::optional<FileStamp> m_candidate;
    std::chrono::milliseconds m_candidateSince{0};
    std::chrono::milliseconds m_shrinkSettle;
};

} // namespace mirovan::shell
