#pragma once
// The streams every file reader and writer works on.
#include <cstddef>
#include <cstdint>

namespace mirovan {

// Where an archive reads from. ReadSome returns 0 only at the end;
// failures of the medium throw CFileException.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual size_t ReadSome(char* buffer, size_t size) = 0;
    // A bound on what is left from the current position, re-measured on
    // request so that a file still growing is not cut short.
    virtual uint64_t BytesLeft() = 0;
};

class IByteSink {
public:
    virtual ~IByteSink() = default;
    virtual void Write(const char* data, size_t size) = 0;
};

} // namespace mirovan
