#pragma once
// The archive encoding shared by the group, schedule and personal files:
// little-endian numbers and length-prefixed strings.
#include "support/ByteStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirovan {

class MemorySource : public IByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    size_t ReadSome(char* buffer, size_t size) override;
    uint64_t BytesLeft() override { return bytes_.size() - pos_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

class MemorySink : public IByteSink {
public:
    void Write(const char* data, size_t size) override { bytes_.append(data, size); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Reads through a buffer of 4096 bytes. A field cut off by the end of
// the stream throws CArchiveException with kArchiveEndOfFile; a length
// the rest of the stream cannot hold throws the same before anything is
// allocated for it.
class ArchiveReader {
public:
    explicit ArchiveReader(IByteSource& source) : source_(source) {}

    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    int32_t ReadI32();
    double ReadDouble();
    void ReadBytes(char* out, size_t size);
    void Skip(uint64_t size);
    // A length-prefixed string; the UTF-16LE form comes back converted to
    // code page 932.
    std::string ReadString();
    // The stream has no byte left.
    bool AtEnd();
    uint64_t Position() const { return consumed_; }

private:
    bool Fill();
    void Require(uint64_t size);
    uint64_t ReadLength(bool allowUnicodeMarker, bool& unicode);

    IByteSource& source_;
    char buffer_[4096];
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t consumed_ = 0;
};

class ArchiveWriter {
public:
    explicit ArchiveWriter(IByteSink& sink) : sink_(sink) {}
    ~ArchiveWriter() noexcept(false);
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteI32(int32_t v) { WriteU32(static_cast<uint32_t>(v)); }
    void WriteDouble(double v);
    void WriteBytes(const char* data, size_t size);
    // Code page 932 bytes with the shortest prefix: one byte below 255,
    // 0xFF + 16 bits below 0xFFFE, else 0xFF 0xFFFF + 32 bits.
    void WriteString(std::string_view bytes);
    // UTF-16LE form: 0xFF 0xFFFE, then the character count with the
    // same prefix rules, then two bytes per character.
    void WriteUtf16String(std::u16string_view text);
    void WriteLength(uint64_t length);
    // Hands the buffered bytes to the sink.
    void Flush();

private:
    IByteSink& sink_;
    std::string buffer_;
};

} // namespace mirovan
