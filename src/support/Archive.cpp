#include "support/Archive.h"

#include "support/ArchiveBytes.h"
#include "support/Codepage.h"
#include "support/FileError.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace mirovan {

size_t MemorySource::ReadSome(char* buffer, size_t size)
{
    const size_t n = std::min(size, bytes_.size() - pos_);
    std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

bool ArchiveReader::Fill()
{
    if (begin_ < end_)
        return true;
    begin_ = 0;
    end_ = source_.ReadSome(buffer_, sizeof buffer_);
    return end_ > 0;
}

bool ArchiveReader::AtEnd() { return !Fill(); }

void ArchiveReader::ReadBytes(char* out, size_t size)
{
    while (size > 0) {
        if (!Fill())
            throw CArchiveException(kArchiveEndOfFile, kCutInsideField);
        const size_t n = std::min(size, end_ - begin_);
        std::memcpy(out, buffer_ + begin_, n);
        begin_ += n;
        consumed_ += n;
        out += n;
        size -= n;
    }
}

void ArchiveReader::Skip(uint64_t size)
{
    Require(size);
    while (size > 0) {
        if (!Fill())
            throw CArchiveException(kArchiveEndOfFile, kCutInsideField);
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, end_ - begin_));
        begin_ += n;
        consumed_ += n;
        size -= n;
    }
}

void ArchiveReader::Require(uint64_t size)
{
    const uint64_t buffered = end_ - begin_;
    if (size <= buffered)
        return;
    if (size - buffered > source_.BytesLeft())
        throw CArchiveException(kArchiveEndOfFile, kLengthPastEnd);
}

uint8_t ArchiveReader::ReadU8()
{
    if (begin_ < end_) {
        ++consumed_;
        return static_cast<uint8_t>(buffer_[begin_++]);
    }
    char c;
    ReadBytes(&c, 1);
    return static_cast<uint8_t>(c);
}

uint16_t ArchiveReader::ReadU16()
{
    if (end_ - begin_ >= 2) {
        const auto* p = reinterpret_cast<const unsigned char*>(buffer_ + begin_);
        begin_ += 2;
        consumed_ += 2;
        return static_cast<uint16_t>(p[0] | p[1] << 8);
    }
    unsigned char b[2];
    ReadBytes(reinterpret_cast<char*>(b), 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint32_t ArchiveReader::ReadU32()
{
    // Most numbers lie whole in the buffer.
    unsigned char b[4];
    if (end_ - begin_ >= 4) {
        std::memcpy(b, buffer_ + begin_, 4);
        begin_ += 4;
        consumed_ += 4;
    } else {
        ReadBytes(reinterpret_cast<char*>(b), 4);
    }
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
}

int32_t ArchiveReader::ReadI32() { return static_cast<int32_t>(ReadU32()); }

double ArchiveReader::ReadDouble()
{
    unsigned char b[8];
    ReadBytes(reinterpret_cast<char*>(b), 8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | b[i];
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint64_t ArchiveReader::ReadLength(bool allowUnicodeMarker, bool& unicode)
{
    const uint8_t b = ReadU8();
    if (b < 0xFF)
        return b;
    const uint16_t w = ReadU16();
    if (w == 0xFFFE && allowUnicodeMarker) {
        unicode = true;
        return ReadLength(false, unicode);
    }
    if (w < 0xFFFF)
        return w;
    return ReadU32();
}

std::string ArchiveReader::ReadString()
{
    bool unicode = false;
    const uint64_t length = ReadLength(true, unicode);
    const uint64_t bytes = unicode ? length * 2 : length;
    Require(bytes);
    if (!unicode && bytes <= end_ - begin_) {
        std::string s(buffer_ + begin_, static_cast<size_t>(bytes));
        begin_ += static_cast<size_t>(bytes);
        consumed_ += bytes;
        return s;
    }
    if (!unicode) {
        std::string s(static_cast<size_t>(bytes), '\0');
        ReadBytes(s.data(), s.size());
        return s;
    }
    std::u16string wide(static_cast<size_t>(length), u'\0');
    for (char16_t& c : wide)
        c = ReadU16();
    return codepage::FromUtf16LeLossy(wide);
}

ArchiveWriter::~ArchiveWriter() noexcept(false)
{
    // A writer left by an exception must not throw again.
    if (std::uncaught_exceptions() == 0)
        Flush();
}

void ArchiveWriter::WriteBytes(const char* data, size_t size)
{
    buffer_.append(data, size);
    if (buffer_.size() >= 4096)
        Flush();
}

void ArchiveWriter::Flush()
{
    if (buffer_.empty())
        return;
    std::string pending;
    pending.swap(buffer_);
    sink_.Write(pending.data(), pending.size());
}

void ArchiveWriter::WriteU8(uint8_t v) { WriteBytes(reinterpret_cast<const char*>(&v), 1); }

void ArchiveWriter::WriteU16(uint16_t v)
{
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    WriteBytes(b, 2);
}

void ArchiveWriter::WriteU32(uint32_t v)
{
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v >> 16 & 0xFF),
                       static_cast<char>(v >> 24)};
    WriteBytes(b, 4);
}

void ArchiveWriter::WriteDouble(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<char>(bits >> (8 * i) & 0xFF);
    WriteBytes(b, 8);
}

void ArchiveWriter::WriteLength(uint64_t length)
{
    if (length < 0xFF) {
        WriteU8(static_cast<uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(length));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(length));
    }
}

void ArchiveWriter::WriteString(std::string_view bytes)
{
    WriteLength(bytes.size());
    WriteBytes(bytes.data(), bytes.size());
}

void ArchiveWriter::WriteUtf16String(std::u16string_view text)
{
    WriteU8(0xFF);
    WriteU16(0xFFFE);
    WriteLength(text.size());
    for (char16_t c : text)
        WriteU16(static_cast<uint16_t>(c));
}

} // namespace mirovan
