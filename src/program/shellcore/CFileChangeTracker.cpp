#include "program/shellcore/CFileChangeTracker.h"

namespace mirovan::shell {

void CFileChangeTracker::Follow(const std::string& path, const FileStamp& current)
{
    m_path = path;
    m_read = current;
    m_candidate.reset();
}

CFileChangeTracker::Decision CFileChangeTracker::Observe(const FileStamp& stamp, std::chrono::milliseconds now)
{
    if (stamp == m_read) {
        // Changed and changed back: nothing to show.
        m_candidate.reset();
        return Decision::Nothing;
    }
    if (!m_candidate || *m_candidate != stamp) {
        m_candidate = stamp;
        m_candidateSince = now;
        return Decision::CheckAgain;
    }
    // Two notifications of one write come close together; only a quiet
    // spell says the writer has finished.
    if (now - m_candidateSince < kSettleTime)
        return Decision::CheckAgain;
    return Decision::Read;
}

void CFileChangeTracker::Read(const FileStamp& stamp)
{
    m_read = stamp;
    m_candidate.reset();
}

} // namespace mirovan::shell
