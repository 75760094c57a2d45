#include "export/Commands.h"

#include "support/Codepage.h"
#include "support/OleDate.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace mirovan::exporter {

std::string Field(std::string_view cp932)
{
    const std::string utf8 = codepage::ToUtf8Lossy(cp932);
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string UnknownOption(std::string_view option)
{
    return "mirovan-export: 「" + std::string(option) + "」というオプションはありません。\n";
}

std::string MissingValue(std::string_view option)
{
    return "mirovan-export: " + std::string(option) + " の後に値を指定してください。\n";
}

bool ParseFlags(const Args& args, const FlagTable& flags, std::vector<std::string>& positional, std::ostream& err)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value =
            std::find_if(flags.values.begin(), flags.values.end(), [&](const auto& flag) { return flag.first == a; });
        const auto on = std::find_if(flags.switches.begin(), flags.switches.end(),
                                     [&](const auto& flag) { return std::get<0>(flag) == a; });
        if (value != flags.values.end()) {
            if (++i == args.size()) {
                err << MissingValue(a);
                return false;
            }
            *value->second = args[i];
        } else if (on != flags.switches.end()) {
            *std::get<1>(*on) = std::get<2>(*on);
        } else if (a.size() > 1 && a[0] == '-') {
            err << UnknownOption(a);
            return false;
        } else {
            positional.push_back(a);
        }
    }
    return true;
}

std::string NotAMonth(std::string_view text)
{
    return "mirovan-export: 「" + std::string(text) + "」は月ではありません。YYYY-MM の形で指定してください。\n";
}

std::string NotADate(std::string_view text)
{
    return "mirovan-export: 「" + std::string(text) + "」は日付ではありません。YYYY-MM-DD の形で指定してください。\n";
}

namespace {

bool Number(std::string_view text, int& value)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

} // namespace

bool ParseYearMonth(std::string_view text, int& year, int& month)
{
    if (text.size() != 7 || text[4] != '-')
        return false;
    return Number(text.substr(0, 4), year) && Number(text.substr(5, 2), month) && IsValidCivilDate(year, month, 1);
}

bool ParseDate(std::string_view text, int& year, int& month, int& day)
{
    if (text.size() != 10 || text[7] != '-')
        return false;
    return ParseYearMonth(text.substr(0, 7), year, month) && Number(text.substr(8, 2), day) &&
           IsValidCivilDate(year, month, day);
}

} // namespace mirovan::exporter
