#include "support/registry/RegistryHiveText.h"

#include "support/Codepage.h"
#include "support/Utf.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace mirovan::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderAnsi = "REGEDIT4";
// Not part of the export format: key classes ride on a comment line, which
// the platform's editor skips when it imports the file.
constexpr std::string_view kClassLine = ";Class=";

// Code page 932 <-> UTF-8 for one name or text; plain ASCII is the same in
// both, which spares the converter for almost everything.
std::optional<std::string> Cp932ToUtf8(std::string_view s)
{
    if (utf::IsAscii(s))
        return std::string(s);
    return codepage::ToUtf8(s);
}

std::optional<std::string> Utf8ToCp932(std::string_view s)
{
    if (utf::IsAscii(s))
        return std::string(s);
    return codepage::FromUtf8(s);
}

size_t LineOfOffset(std::string_view text, size_t offset)
{
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::string_view TrimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = s[i], b = prefix[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole of s.
std::optional<uint32_t> ParseHex32(std::string_view s)
{
    if (s.empty() || s.size() > 8)
        return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    return v;
}

class Parser {
public:
    Parser(Hive& hive, std::string_view text) : hive_(hive), text_(text) {}

    bool Run(std::string& error)
    {
        SplitLines();
        if (lines_.empty() || (TrimSpaces(lines_[0]) != kHeader && !(ansi_ && TrimSpaces(lines_[0]) == kHeaderAnsi))) {
            error = "line 1: not a registry file header";
            return false;
        }
        for (index_ = 1; index_ < lines_.size(); ++index_) {
            if (!ParseLine(TrimSpaces(lines_[index_]))) {
                error = "line " + std::to_string(index_ + 1) + ": " + error_;
                return false;
            }
        }
        return true;
    }

    void SetAnsi(bool ansi) { ansi_ = ansi; }

private:
    void SplitLines()
    {
        size_t start = 0;
        while (start <= text_.size()) {
            size_t end = text_.find('\n', start);
            if (end == std::string_view::npos)
                end = text_.size();
            lines_.push_back(text_.substr(start, end - start));
            start = end + 1;
        }
        // A final line break does not start another line.
        if (lines_.size() > 1 && lines_.back().empty())
            lines_.pop_back();
    }

    bool Fail(std::string why)
    {
        error_ = std::move(why);
        return false;
    }

    bool ParseLine(std::string_view line)
    {
        if (line.empty())
            return true;
        if (line.front() == '[')
            return ParseKeyLine(line);
        if (line.substr(0, kClassLine.size()) == kClassLine && current_)
            return ParseClassLine(line.substr(kClassLine.size()));
        if (line.front() == ';')
            return true;
        if (line.front() == '"' || line.front() == '@')
            return ParseValueLine(line);
        return Fail("neither a key, a value nor a comment");
    }

    bool ParseKeyLine(std::string_view line)
    {
        if (line.back() != ']')
            return Fail("a key line without its closing bracket");
        keySeen_ = true;
        std::string_view inner = line.substr(1, line.size() - 2);
        const bool deletion = !inner.empty() && inner.front() == '-';
        if (deletion)
            inner.remove_prefix(1);
        const size_t slash = inner.find('\\');
        const std::string_view rootName = inner.substr(0, slash);
        if (rootName.size() != hive_.RootName().size() || !StartsWithNoCase(rootName, hive_.RootName()))
            return Fail("a key outside " + hive_.RootName());
        std::string path;
        if (slash != std::string_view::npos) {
            const std::string_view rest = inner.substr(slash + 1);
            if (rest.find_first_of(std::string_view("\0\r", 2)) != std::string_view::npos)
                return Fail("a key name with a NUL or carriage return character");
            auto converted = Utf8ToCp932(rest);
            if (!converted)
                return Fail("a key name that code page 932 cannot hold");
            path = std::move(*converted);
            // Split the UTF-8 form: in code page 932 a backslash byte can
            // be the second half of a character.
            size_t from = 0;
            for (;;) {
                const size_t next = rest.find('\\', from);
                const std::string_view name = rest.substr(from, next == std::string_view::npos ? next : next - from);
                if (name.empty())
                    return Fail("an empty key name");
                if (next == std::string_view::npos)
                    break;
                from = next + 1;
            }
        }
        if (deletion) {
            current_ = nullptr;
            if (!path.empty())
                hive_.Remove(path);
            return true;
        }
        current_ = hive_.Create(path);
        if (!current_)
            return Fail("a key name longer than " + std::to_string(kMaxKeyNameChars) + " characters, or more than " +
                        std::to_string(kMaxKeyDepth) + " levels or " + std::to_string(kMaxKeys) + " keys");
        return true;
    }

    // A quoted text at the start of s, regedit's escapes undone; s is
    // advanced past the closing quote.
    std::optional<std::string> QuotedText(std::string_view& s)
    {
        if (s.empty() || s.front() != '"')
            return std::nullopt;
        std::string out;
        size_t i = 1;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"')
                break;
            if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
                out += s[++i];
                continue;
            }
            out += c;
        }
        if (i >= s.size())
            return std::nullopt;
        s.remove_prefix(i + 1);
        return out;
    }

    bool ParseClassLine(std::string_view rest)
    {
        auto text = QuotedText(rest);
        if (!text || !TrimSpaces(rest).empty())
            return Fail("a class line that is not one quoted text");
        if (text->find_first_of(std::string_view("\0\r", 2)) != std::string::npos)
            return Fail("a class with a NUL or carriage return character");
        auto converted = Utf8ToCp932(*text);
        if (!converted)
            return Fail("a class that code page 932 cannot hold");
        current_->SetClassName(std::move(*converted));
        return true;
    }

    bool ParseValueLine(std::string_view line)
    {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = QuotedText(line);
            if (!quoted)
                return Fail("a value name without its closing quote");
            if (quoted->find_first_of(std::string_view("\0\r", 2)) != std::string::npos)
                return Fail("a value name with a NUL or carriage return character");
            auto converted = Utf8ToCp932(*quoted);
            if (!converted)
                return Fail("a value name that code page 932 cannot hold");
            name = std::move(*converted);
        }
        line = TrimSpaces(line);
        if (line.empty() || line.front() != '=')
            return Fail("a value name not followed by \"=\"");
        line = TrimSpaces(line.substr(1));
        if (!current_ && !keySeen_)
            return Fail("a value before the first key");

        uint32_t type;
        std::string data;
        bool remove = false;
        bool wide = false;
        if (!line.empty() && line.front() == '"') {
            auto text = QuotedText(line);
            if (!text || !TrimSpaces(line).empty())
                return Fail(text ? "text after a string value" : "a string value without its closing quote");
            // A text with a NUL only the code page's form can carry.
            StringData string = StringFromUtf8(*text);
            if (string.wide && text->find('\0') != std::string::npos)
                return Fail("a string value that code page 932 cannot hold");
            type = kString;
            data = std::move(string.data);
            wide = string.wide;
        } else if (line == "-") {
            remove = true;
            type = kNone;
        } else if (StartsWithNoCase(line, "dword:")) {
            // Always written with all eight digits: fewer is a line cut short.
            const auto v = line.size() == 6 + 8 ? ParseHex32(line.substr(6)) : std::nullopt;
            if (!v)
                return Fail("a dword value that is not 8 hex digits");
            type = kDword;
            for (int k = 0; k < 4; ++k)
                data += static_cast<char>((*v >> (8 * k)) & 0xFF);
        } else if (StartsWithNoCase(line, "hex")) {
            std::string_view rest = line.substr(3);
            type = kBinary;
            if (!rest.empty() && rest.front() == '(') {
                const size_t close = rest.find(')');
                const auto n = close == std::string_view::npos ? std::nullopt : ParseHex32(rest.substr(1, close - 1));
                if (!n)
                    return Fail("a hex(type) whose type is not 1 to 8 hex digits");
                type = *n;
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest.front() != ':')
                return Fail("a hex value without \":\"");
            if (!ParseHexBytes(rest.substr(1), data))
                return false;
        } else {
            return Fail("a value that is neither text, dword nor hex");
        }
        if (!current_)
            return true; // inside a deleted key's section: ignored, as on import
        if (remove)
            current_->RemoveValue(name);
        else
            current_->SetValue(name, type, std::move(data), wide);
        return true;
    }

    // Comma-separated bytes; a line ending in "\" goes on in the next one,
    // and only there may a comma end the line.
    bool ParseHexBytes(std::string_view first, std::string& data)
    {
        std::string_view part = TrimSpaces(first);
        for (;;) {
            const bool more = !part.empty() && part.back() == '\\';
            if (more)
                part.remove_suffix(1);
            for (size_t from = 0; !part.empty() && from <= part.size();) {
                size_t comma = part.find(',', from);
                if (comma == std::string_view::npos)
                    comma = part.size();
                const std::string_view token = TrimSpaces(part.substr(from, comma - from));
                if (token.empty()) {
                    if (!(more && comma == part.size() && from > 0))
                        return Fail("an empty byte in a hex value");
                } else if (token.size() != 2 || HexDigit(token[0]) < 0 || HexDigit(token[1]) < 0) {
                    // One digit is half a byte: a line cut short.
                    return Fail("a byte of a hex value that is not two hex digits");
                } else {
                    data += static_cast<char>(HexDigit(token[0]) * 16 + HexDigit(token[1]));
                }
                from = comma + 1;
            }
            if (!more)
                return true;
            if (index_ + 1 >= lines_.size())
                return Fail("the file ends inside a hex value");
            part = TrimSpaces(lines_[++index_]);
        }
    }

    Hive& hive_;
    std::string_view text_;
    std::vector<std::string_view> lines_;
    size_t index_ = 0;
    HiveKey* current_ = nullptr;
    bool keySeen_ = false;
    bool ansi_ = false;
    std::string error_;
};

std::string HexLine(std::string_view head, std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(head);
    size_t width = out.size();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const size_t tokenSize = i + 1 < bytes.size() ? 3 : 2;
        // regedit keeps its lines within 80 columns the same way.
        if (width + tokenSize > 78) {
            out += "\\\n  ";
            width = 2;
        }
        out += kDigits[b >> 4];
        out += kDigits[b & 0xF];
        if (tokenSize == 3)
            out += ',';
        width += tokenSize;
    }
    return out;
}

std::string Escaped(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (char c : utf8) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

class Writer {
public:
    explicit Writer(const Hive& hive) : hive_(hive) {}

    std::optional<std::string> Run(std::string* error)
    {
        out_ = std::string(kHeader) + "\n\n";
        const HiveKey& root = hive_.Root();
        const bool ok = (root.Values().empty() && root.ClassName().empty() ? WriteChildren(root, hive_.RootName())
                                                                           : WriteKey(root, hive_.RootName()));
        if (!ok) {
            if (error)
                *error = error_;
            return std::nullopt;
        }
        return std::move(out_);
    }

private:
    bool Fail(std::string why)
    {
        error_ = std::move(why);
        return false;
    }

    // A name, class or text in its UTF-8 form when the file can hold it.
    std::optional<std::string> Text(std::string_view cp932, bool allowNul)
    {
        auto utf8 = Cp932ToUtf8(cp932);
        if (!utf8)
            return std::nullopt;
        if (utf8->find_first_of(allowNul ? std::string_view("\r\n") : std::string_view("\r\n\0", 3)) !=
            std::string::npos)
            return std::nullopt;
        return utf8;
    }

    bool WriteChildren(const HiveKey& key, const std::string& path)
    {
        for (const HiveKey& sub : key.Subkeys()) {
            auto name = Text(sub.Name(), false);
            if (!name)
                return Fail("a key name that the file cannot hold");
            if (!WriteKey(sub, path + "\\" + *name))
                return false;
        }
        return true;
    }

    bool WriteKey(const HiveKey& key, const std::string& path)
    {
        out_ += '[';
        out_ += path;
        out_ += "]\n";
        if (!key.ClassName().empty()) {
            auto cls = Text(key.ClassName(), false);
            if (!cls)
                return Fail("a key class that the file cannot hold");
            out_ += kClassLine;
            out_ += Escaped(*cls);
            out_ += '\n';
        }
        for (const HiveValue& v : key.Values()) {
            std::string head;
            if (v.name.empty()) {
                head = "@=";
            } else {
                auto name = Text(v.name, false);
                if (!name)
                    return Fail("a value name that the file cannot hold");
                head = Escaped(*name) + "=";
            }
            const std::string text = ValueText(head, v);
            if (text.empty())
                return Fail("a wide text that the file cannot hold");
            out_ += text;
            out_ += '\n';
        }
        out_ += '\n';
        return WriteChildren(key, path);
    }

    std::string ValueText(const std::string& head, const HiveValue& v)
    {
        if (v.wide) {
            const std::string_view body(v.data.data(), v.data.empty() ? 0 : v.data.size() - 1);
            if (v.type == kString && !v.data.empty() && v.data.back() == '\0' &&
                body.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
                utf::FindInvalidUtf8(body) == std::string_view::npos)
                return head + Escaped(body);
            return {}; // nothing else is ever made wide
        }
        if (v.type == kString && !v.data.empty() && v.data.back() == '\0') {
            const std::string_view body(v.data.data(), v.data.size() - 1);
            if (body.find('\0') == std::string_view::npos)
                if (auto text = Text(body, false))
                    return head + Escaped(*text);
        }
        if (v.type == kDword && v.data.size() == 4) {
            static constexpr char kDigits[] = "0123456789abcdef";
            std::string out = head + "dword:";
            for (int i = 3; i >= 0; --i) {
                const auto b = static_cast<unsigned char>(v.data[static_cast<size_t>(i)]);
                out += kDigits[b >> 4];
                out += kDigits[b & 0xF];
            }
            return out;
        }
        if (v.type == kBinary)
            return HexLine(head + "hex:", v.data);
        char type[16];
        std::snprintf(type, sizeof type, "hex(%x):", v.type);
        return HexLine(head + type, v.data);
    }

    const Hive& hive_;
    std::string out_;
    std::string error_;
};

} // namespace

bool ParseHive(Hive& hive, std::string_view bytes, std::string& error)
{
    hive.Clear();
    if (bytes.empty())
        return true; // an empty file holds no keys, and nothing is lost
    std::string decoded;
    std::string_view text;
    bool ansi = false;
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        if (!utf::DecodeUtf16Le(bytes.substr(2), decoded, error))
            return false;
        text = decoded;
    } else {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        if (bytes.substr(0, kHeaderAnsi.size()) == kHeaderAnsi) {
            // The older export is in the code page itself.
            ansi = true;
            auto converted = codepage::ToUtf8(bytes);
            if (!converted) {
                error = "bytes that are not code page 932";
                return false;
            }
            decoded = std::move(*converted);
            text = decoded;
        } else {
            text = bytes;
        }
    }
    if (const size_t bad = utf::FindInvalidUtf8(text); bad != std::string_view::npos) {
        error = "line " + std::to_string(LineOfOffset(text, bad)) + ": bytes that are not UTF-8";
        return false;
    }
    Parser parser(hive, text);
    parser.SetAnsi(ansi);
    return parser.Run(error);
}

std::optional<std::string> SerializeHive(const Hive& hive, std::string* error) { return Writer(hive).Run(error); }

} // namespace mirovan::registry
