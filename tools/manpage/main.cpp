// mirovan-manpage: renders a manual page source (a small Markdown subset,
// docs/man/) to roff, and its synopsis and options to the plain text that
// --help prints, so that both say the same.
//
//   mirovan-manpage roff SOURCE OUT VERSION DATE
//   mirovan-manpage help SOURCE OUT.inc HEADING...   (a C++ raw string literal)
//
// The subset: "# NAME SECTION" first; "## HEADING"; lines indented by four
// blanks are shown as they are; "* TERM" starts an item that the lines
// indented by two blanks describe; a blank line ends a paragraph; `code`.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Line {
    enum Kind { Title, Heading, Verbatim, Item, ItemText, Text, Blank } kind;
    std::string text;
};

std::vector<Line> Parse(std::istream& in)
{
    std::vector<Line> out;
    std::string s;
    while (std::getline(in, s)) {
        if (!s.empty() && s.back() == '\r')
            s.pop_back();
        if (s.find_first_not_of(' ') == std::string::npos)
            out.push_back({Line::Blank, {}});
        else if (s.rfind("## ", 0) == 0)
            out.push_back({Line::Heading, s.substr(3)});
        else if (s.rfind("# ", 0) == 0)
            out.push_back({Line::Title, s.substr(2)});
        else if (s.rfind("    ", 0) == 0)
            out.push_back({Line::Verbatim, s.substr(4)});
        else if (s.rfind("* ", 0) == 0)
            out.push_back({Line::Item, s.substr(2)});
        else if (s.rfind("  ", 0) == 0)
            out.push_back({Line::ItemText, s.substr(2)});
        else
            out.push_back({Line::Text, s});
    }
    return out;
}

bool IsLeadByte(unsigned char c) { return c >= 0xC0; }

// Roff text: backslashes and hyphens escaped, `code` in bold, and a break
// point allowed between two non-ASCII characters, as Japanese is set.
std::string Roff(const std::string& s)
{
    std::string out;
    bool bold = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else if (c == '`') {
            out += bold ? "\\fR" : "\\fB";
            bold = !bold;
        } else {
            if (IsLeadByte(c) && i > 0 && static_cast<unsigned char>(s[i - 1]) >= 0x80)
                out += "\\:";
            out += s[i];
        }
    }
    if (bold)
        out += "\\fR";
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string Plain(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (c != '`')
            out += c;
    return out;
}

std::string Quoted(const std::string& s) { return '"' + s + '"'; }

bool IsProse(const Line& line) { return line.kind == Line::Text || line.kind == Line::ItemText; }

// Japanese sentences on consecutive lines join without a blank.
bool JoinsNext(const std::vector<Line>& lines, size_t i)
{
    return i + 1 < lines.size() && IsProse(lines[i]) && IsProse(lines[i + 1]) && lines[i].kind == lines[i + 1].kind &&
           static_cast<unsigned char>(lines[i].text.back()) >= 0x80 &&
           static_cast<unsigned char>(lines[i + 1].text.front()) >= 0x80;
}

void WriteRoff(const std::vector<Line>& lines, std::ostream& out, const std::string& version, const std::string& date)
{
    bool verbatim = false;
    bool paragraph = false; // a blank line was seen: the next text starts a paragraph
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::Text && paragraph)
            out << ".PP\n";
        if (line.kind != Line::Blank && line.kind != Line::Verbatim)
            paragraph = false;
        if (verbatim && line.kind != Line::Verbatim) {
            out << ".fi\n";
            verbatim = false;
        }
        switch (line.kind) {
        case Line::Title: {
            std::istringstream words(line.text);
            std::string name, section;
            words >> name >> section;
            out << ".TH " << Quoted(name) << ' ' << section << ' ' << Quoted(date) << ' '
                << Quoted("Mirovan " + version) << '\n';
            // Ragged right and unhyphenated: Japanese has no blanks to stretch.
            out << ".ad l\n.nh\n";
            break;
        }
        case Line::Heading: out << ".SH " << Quoted(line.text) << '\n'; break;
        case Line::Verbatim:
            if (!verbatim)
                out << ".nf\n";
            verbatim = true;
            out << Roff(line.text) << '\n';
            break;
        case Line::Item: out << ".TP\n" << Roff("`" + line.text + "`") << '\n'; break;
        case Line::ItemText:
        case Line::Text: out << Roff(line.text) << (JoinsNext(lines, i) ? "\\c\n" : "\n"); break;
        case Line::Blank: paragraph = true; break;
        }
    }
    if (verbatim)
        out << ".fi\n";
}

// The named sections as plain text: headings flush left with a colon,
// their content indented.
std::string HelpText(const std::vector<Line>& lines, const std::vector<std::string>& headings)
{
    std::string out;
    bool taken = false;
    for (const Line& line : lines) {
        if (line.kind == Line::Heading || line.kind == Line::Title) {
            taken = false;
            for (const std::string& h : headings)
                taken = taken || h == line.text;
            if (taken)
                out += (out.empty() ? "" : "\n") + line.text + ":\n";
            continue;
        }
        if (!taken)
            continue;
        switch (line.kind) {
        case Line::Verbatim:
        case Line::Text: out += "  " + Plain(line.text) + '\n'; break;
        case Line::Item: out += "  " + Plain(line.text) + '\n'; break;
        case Line::ItemText: out += "      " + Plain(line.text) + '\n'; break;
        default: break;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 3 || (args[0] == "roff" && args.size() != 5) || (args[0] != "roff" && args[0] != "help")) {
        std::cerr << "usage: mirovan-manpage roff SOURCE OUT VERSION DATE\n"
                     "       mirovan-manpage help SOURCE OUT.inc HEADING...\n";
        return 2;
    }
    std::ifstream in(args[1]);
    if (!in) {
        std::cerr << "mirovan-manpage: cannot read " << args[1] << '\n';
        return 1;
    }
    const std::vector<Line> lines = Parse(in);
    std::ofstream out(args[2], std::ios::binary);
    if (args[0] == "roff")
        WriteRoff(lines, out, args[3], args[4]);
    else
        out << "R\"mirovan(" << HelpText(lines, {args.begin() + 3, args.end()}) << ")mirovan\"\n";
    out.close();
    if (!out) {
        std::cerr << "mirovan-manpage: cannot write " << args[2] << '\n';
        return 1;
    }
    return 0;
}
