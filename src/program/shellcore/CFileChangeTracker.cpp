#include "program/shellcore/CFileChangeTracker.h"

#include "support/platform/Platform.h"

#include <cerrno>

namespace mirovan::shell {

std::optional<FileStamp> LookAtFile(const std::string& path)
{
    const platform::FileLook look = platform::LookAtFile(path);
    if (look.error == ENOENT || look.error == ENOTDIR)
        return FileStamp{};
    if (look.error != 0)
        return std::nullopt;
    return FileStamp{true, look.size, look.modifiedMs};
}

void CFileChangeTracker::Follow(const std::string& path, const FileStamp& current)
{
    m_path = path;
    m_read = current;
    m_wholeSize.reset();
    if (current.size >= 0)
        m_wholeSize = current.exists ? current.size : 0;
    m_rewriting = false;
    m_candidate.reset();
}

CFileChangeTracker::Decision CFileChangeTracker::Observe(const FileStamp& stamp, std::chrono::milliseconds now)
{
    if (stamp == m_read) {
        // Changed and changed back: nothing to show.
        m_candidate.reset();
        m_rewriting = false;
        return Decision::Nothing;
    }
    if (m_wholeSize && (stamp.exists ? stamp.size : 0) < *m_wholeSize)
        m_rewriting = true;
    if (!m_candidate || *m_candidate != stamp) {
        m_candidate = stamp;
        m_candidateSince = now;
        return Decision::CheckAgain;
    }
    // Two notifications of one write come close together; only a quiet
    // spell says the writer has finished.
    if (now - m_candidateSince < (m_rewriting ? m_shrinkSettle : kSettleTime))
        return Decision::CheckAgain;
    return Decision::Read;
}

void CFileChangeTracker::Read(const FileStamp& stamp)
{
    Skip(stamp);
    m_wholeSize = stamp.exists ? stamp.size : 0;
}

void CFileChangeTracker::Skip(const FileStamp& stamp)
{
    m_read = stamp;
    m_rewriting = false;
    m_candidate.reset();
}

} // namespace mirovan::shell
