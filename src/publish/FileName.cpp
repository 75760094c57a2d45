#include "publish/FileName.h"

#include "support/Codepage.h"

#include <cstdint>
#include <cstdio>

namespace mirovan::publish {
namespace {

void Hex(std::string& out, unsigned char c)
{
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%%%02X", c);
    out += buffer;
}

bool Plain(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '~';
}

// The length of a valid UTF-8 character from U+00A0 at text[at], else 0.
size_t Utf8Length(std::string_view text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = byte(at);
    size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (c >= 0xF5 || length == 0 || at + length > text.size())
        return 0;
    uint32_t code = c & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code < 0xA0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

uint64_t Fnv1a(std::string_view bytes)
{
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

bool IsReserved(std::string_view bytes)
{
    if (bytes.size() != 4)
        return false;
    std::string lower;
    for (char c : bytes)
        lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == "week" || lower == "vdir";
}

} // namespace

std::string FileNameOf(std::string_view bytes)
{
    if (bytes.empty())
        return "%";
    std::string out;
    // Where each character of out begins, to cut only between them.
    std::string::size_type lastWhole = 0;
    size_t cutAt = std::string::npos;
    constexpr size_t kKept = kMaxName - 17;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (Plain(c) && !(i == 0 && IsReserved(bytes))) {
            out += static_cast<char>(c);
            ++i;
        } else if (const size_t length = Utf8Length(bytes, i)) {
            out.append(bytes.substr(i, length));
            i += length;
        } else {
            Hex(out, c);
            ++i;
        }
        if (out.size() <= kKept)
            lastWhole = out.size();
        else if (cutAt == std::string::npos)
            cutAt = lastWhole;
    }
    if (out.size() <= kMaxName)
        return out;
    char tail[20];
    std::snprintf(tail, sizeof tail, "-%016llx", static_cast<unsigned long long>(Fnv1a(bytes)));
    out.resize(cutAt);
    return out + tail;
}

std::string UrlSegment(std::string_view fileName)
{
    std::string out;
    for (unsigned char c : fileName) {
        if (Plain(c) || c == '.')
            out += static_cast<char>(c);
        else
            Hex(out, c);
    }
    return out;
}

std::string CodeText(std::string_view cp932) { return codepage::ToUtf8(cp932).value_or(std::string(cp932)); }

} // namespace mirovan::publish
