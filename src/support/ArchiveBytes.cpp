#include "support/ArchiveBytes.h"

#include "support/Codepage.h"

namespace mirovan {
namespace {

size_t LengthPrefix(const unsigned char* p, size_t left, uint64_t& length, bool& unicode)
{
    // As the archive reads it: 0xFF 0xFFFE marks UTF-16 and is followed
    // by the character count in the same form, without a second marker.
    size_t used = 0;
    unicode = false;
    for (bool markerAllowed = true;; markerAllowed = false) {
        if (left - used < 1)
            return 0;
        const unsigned b = p[used];
        if (b < 0xFF) {
            length = b;
            return used + 1;
        }
        if (left - used < 3)
            return 0;
        const unsigned w = p[used + 1] | p[used + 2] << 8;
        if (w == 0xFFFE && markerAllowed) {
            unicode = true;
            used += 3;
            continue;
        }
        if (w < 0xFFFF) {
            length = w;
            return used + 3;
        }
        if (left - used < 7)
            return 0;
        length = uint64_t{p[used + 3]} | uint64_t{p[used + 4]} << 8 | uint64_t{p[used + 5]} << 16 |
                 uint64_t{p[used + 6]} << 24;
        return used + 7;
    }
}

} // namespace

bool ReadLongField(const unsigned char*& p, const unsigned char* end, StringField& f, const char*& cut)
{
    const size_t prefix = LengthPrefix(p, static_cast<size_t>(end - p), f.length, f.unicode);
    if (prefix == 0) {
        cut = kCutInsideField;
        return false;
    }
    p += prefix;
    const uint64_t size = f.unicode ? f.length * 2 : f.length;
    if (size > static_cast<uint64_t>(end - p)) {
        cut = kLengthPastEnd;
        return false;
    }
    f.bytes = p;
    p += size;
    return true;
}

void AppendPrefixed(std::string& out, std::string_view text)
{
    const uint64_t n = text.size();
    if (n < 0xFF) {
        out += static_cast<char>(n);
    } else if (n < 0xFFFF) {
        out += '\xFF';
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
    } else {
        out += "\xFF\xFF\xFF";
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(n >> (8 * i) & 0xFF);
    }
    out += text;
}

std::string FieldCp932(const StringField& f)
{
    if (!f.unicode)
        return std::string(reinterpret_cast<const char*>(f.bytes), static_cast<size_t>(f.length));
    std::u16string wide(static_cast<size_t>(f.length), u'\0');
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(f.bytes[2 * i] | f.bytes[2 * i + 1] << 8);
    return codepage::FromUtf16LeLossy(wide);
}

} // namespace mirovan
