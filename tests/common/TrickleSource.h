#pragma once
#include "support/Archive.h"
#include "support/FileError.h"

#include <algorithm>
#include <string>

namespace mirovan::test {

// Hands out the bytes in pieces, says less is left than there is, and
// may fail after a given number of bytes.
class TrickleSource : public IByteSource {
public:
    TrickleSource(std::string bytes, size_t failAt) : m_bytes(std::move(bytes)), m_failAt(failAt) {}
    size_t ReadSome(char* buffer, size_t size) override
    {
        if (m_pos >= m_failAt)
            throw CFileException(kFileHardIO, 5, "trickle");
        const size_t n = std::min({size, size_t{7}, m_bytes.size() - m_pos, m_failAt - m_pos});
        std::copy_n(m_bytes.data() + m_pos, n, buffer);
        m_pos += n;
        return n;
    }
    uint64_t BytesLeft() override { return (m_bytes.size() - m_pos) / 2; }
    size_t Position() const { return m_pos; }

private:
    std::string m_bytes;
    size_t m_failAt;
    size_t m_pos = 0;
};

} // namespace mirovan::test
