#include "support/Codepage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace mirovan::codepage {
namespace {

// "CP932", not "SHIFT_JIS": the latter maps 0x8160 to U+301C instead of
// the U+FF5E that the Windows code page uses.
constexpr const char* kCp932 = "CP932";

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    enum class Stop { Done, Invalid, Incomplete };

    // Converts as much as possible, appending to out; in is advanced.
    Stop Run(std::string_view& in, std::string& out)
    {
        char buffer[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            size_t srcLeft = in.size();
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            in.remove_prefix(in.size() - srcLeft);
            if (rc == static_cast<size_t>(-1)) {
                if (errno == E2BIG)
                    continue;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
                return errno == EINVAL ? Stop::Incomplete : Stop::Invalid;
            }
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, dst - buffer);
        return Stop::Done;
    }

private:
    iconv_t cd_;
};

// Opening a converter costs more than converting one entry's text, and a
// publish converts millions: each thread keeps the one it reads with.
// Run leaves it in its initial state whatever happened.
Converter& Cp932Reader()
{
    thread_local Converter conv("UTF-8", kCp932);
    return conv;
}

// Code page 932 is ASCII below 0x80, as UTF-8 is.
bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<std::string> Exact(const char* to, const char* from, std::string_view in)
{
    Converter conv(to, from);
    std::string out;
    out.reserve(in.size() * 3 / 2);
    if (conv.Run(in, out) != Converter::Stop::Done)
        return std::nullopt;
    return out;
}

// Length in bytes of the UTF-8 sequence starting at s[0], 1 when invalid.
size_t Utf8SequenceLength(std::string_view s)
{
    const auto c = static_cast<unsigned char>(s[0]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (n > s.size())
        return 1;
    for (size_t i = 1; i < n; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            return 1;
    return n;
}

} // namespace

std::optional<std::string> ToUtf8(std::string_view cp932)
{
    if (IsAscii(cp932))
        return std::string(cp932);
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    if (Cp932Reader().Run(cp932, out) != Converter::Stop::Done)
        return std::nullopt;
    return out;
}

std::optional<std::string> FromUtf8(std::string_view utf8) { return Exact(kCp932, "UTF-8", utf8); }

std::string ToUtf8Lossy(std::string_view cp932)
{
    if (IsAscii(cp932))
        return std::string(cp932);
    Converter& conv = Cp932Reader();
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    while (conv.Run(cp932, out) != Converter::Stop::Done) {
        out += "\xEF\xBF\xBD";
        cp932.remove_prefix(1);
    }
    return out;
}

std::string ToUtf8Lines(std::string_view cp932)
{
    std::string out = ToUtf8Lossy(cp932);
    std::erase(out, '\r');
    return out;
}

std::string FromUtf16LeLossy(std::u16string_view utf16)
{
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (char16_t c : utf16) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    Converter conv(kCp932, "UTF-16LE");
    std::string out;
    std::string_view in(bytes);
    while (conv.Run(in, out) != Converter::Stop::Done) {
        // Skip one whole UTF-16 unit, or a surrogate pair when complete.
        size_t skip = 2;
        if (in.size() >= 4) {
            const unsigned hi = static_cast<unsigned char>(in[1]);
            const unsigned hi2 = static_cast<unsigned char>(in[3]);
            if (hi >= 0xD8 && hi <= 0xDB && hi2 >= 0xDC && hi2 <= 0xDF)
                skip = 4;
        }
        out += '?';
        in.remove_prefix(std::min(skip, in.size()));
    }
    return out;
}

std::vector<std::string> UnmappableCharacters(std::string_view utf8)
{
    std::vector<std::string> found;
    Converter conv(kCp932, "UTF-8");
    std::string ignored;
    while (!utf8.empty()) {
        const size_t n = Utf8SequenceLength(utf8);
        std::string_view one = utf8.substr(0, n);
        std::string ch(one);
        const bool valid = !(n == 1 && static_cast<unsigned char>(utf8[0]) >= 0x80);
        if (!valid || conv.Run(one, ignored) != Converter::Stop::Done) {
            if (!valid)
                ch = "\xEF\xBF\xBD";
            if (std::find(found.begin(), found.end(), ch) == found.end())
                found.push_back(ch);
        }
        utf8.remove_prefix(n);
    }
    return found;
}

std::string FromUtf8Replacing(std::string_view utf8, std::string_view replacement)
{
    Converter conv(kCp932, "UTF-8");
    std::string out;
    while (!utf8.empty()) {
        const size_t n = Utf8SequenceLength(utf8);
        std::string_view one = utf8.substr(0, n);
        const bool valid = !(n == 1 && static_cast<unsigned char>(utf8[0]) >= 0x80);
        std::string converted;
        if (valid && conv.Run(one, converted) == Converter::Stop::Done)
            out += converted;
        else
            out += replacement;
        utf8.remove_prefix(n);
    }
    return out;
}

size_t WholeCharacterPrefix(std::string_view s, size_t limit)
{
    size_t i = 0;
    while (i < s.size()) {
        const size_t len = IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + len > limit || i + len > s.size())
            break;
        i += len;
    }
    return i;
}

} // namespace mirovan::codepage
