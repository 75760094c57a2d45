#pragma once
// The archive encoding read from bytes already in memory, for files read
// whole into one buffer whose records then refer to their bytes.
#include "support/ByteStream.h"
#include "support/FileError.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

namespace mirovan {

// Why a field is not whole, in ArchiveReader's words too.
inline constexpr const char* kCutInsideField = "end of file in the middle of a field";
inline constexpr const char* kLengthPastEnd = "a length runs past the end of the file";

// A length-prefixed string in a buffer. Left uninitialised: a record's
// fields are declared for every record, and zeroing them cost more than
// reading them.
struct StringField {
    const unsigned char* bytes; // after the prefix
    uint64_t length;            // in characters for UTF-16
    bool unicode;
};

// ReadField's way for every prefix but the one-byte one.
bool ReadLongField(const unsigned char*& p, const unsigned char* end, StringField& f, const char*& cut);

// The string at p, moving p past it; false with the reason for a field
// the buffer does not hold whole.
inline bool ReadField(const unsigned char*& p, const unsigned char* end, StringField& f, const char*& cut)
{
    // Most strings are short, with a prefix of one byte.
    if (p != end && *p < 0xFF && static_cast<size_t>(end - p) > *p) {
        f.length = *p;
        f.unicode = false;
        f.bytes = p + 1;
        p += 1 + f.length;
        return true;
    }
    return ReadLongField(p, end, f, cut);
}

// The field's text in code page 932, converted when it was UTF-16.
std::string FieldCp932(const StringField& f);

// Appends text with the shortest prefix, as the archive writes it.
void AppendPrefixed(std::string& out, std::string_view text);

// The index-th of the code page 932 strings at p, all of them known to
// be whole and none UTF-16.
inline std::string_view PrefixedText(const char* text, int index)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    for (;;) {
        size_t length = p[0];
        size_t prefix = 1;
        if (length == 0xFF) {
            length = static_cast<size_t>(p[1] | p[2] << 8);
            prefix = 3;
            if (length == 0xFFFF) {
                length = static_cast<size_t>(p[3]) | static_cast<size_t>(p[4]) << 8 | static_cast<size_t>(p[5]) << 16 |
                         static_cast<size_t>(p[6]) << 24;
                prefix = 7;
            }
        }
        if (index-- == 0)
            return {reinterpret_cast<const char*>(p + prefix), length};
        p += prefix + length;
    }
}

// The stream read whole into one buffer sized by what it says is left,
// at most mostAhead bytes beyond what has come, in pieces small enough
// to be looked at while still in the cache: after each piece, onPiece
// gets the bytes so far and the room for them, and returns whether to
// read on. A failure of the
// medium leaves what came before it in the buffer and is handed back, so
// that the records read so far can still be kept.
template <typename OnPiece>
std::exception_ptr ReadAll(IByteSource& source, std::unique_ptr<char[]>& data, size_t& size, size_t mostAhead,
                           OnPiece onPiece)
{
    constexpr size_t kPiece = 128 * 1024;
    size = 0;
    size_t capacity = 0;
    try {
        for (;;) {
            if (size == capacity) {
                // One more byte than announced tells a stream that grew.
                const uint64_t left = std::min<uint64_t>(source.BytesLeft(), mostAhead);
                const size_t wanted = size + static_cast<size_t>(std::min<uint64_t>(left, SIZE_MAX / 2 - size)) + 1;
                const size_t grown = std::max(wanted, capacity + capacity / 2);
                auto bigger = std::make_unique_for_overwrite<char[]>(grown);
                if (size > 0)
                    std::memcpy(bigger.get(), data.get(), size);
                data = std::move(bigger);
                capacity = grown;
            }
            const size_t n = source.ReadSome(data.get() + size, std::min(kPiece, capacity - size));
            if (n == 0)
                return nullptr;
            size += n;
            if (!onPiece(data.get(), size, capacity))
                return nullptr;
        }
    } catch (const CFileException&) {
        return std::current_exception();
    }
}

} // namespace mirovan
