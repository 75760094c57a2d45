#include "viewlib/layout/NextPrintLine.h"

#include "common/Text.h"

#include "support/Codepage.h"

#include <gtest/gtest.h>

using namespace mirovan;
using mirovan::test::Sjis;
using namespace mirovan::view;

namespace {

// Every byte is 10 units wide, so a limit of L fits (L - 1) / 10 bytes.
class FixedMeasurer : public ITextMeasurer {
public:
    int Width(std::string_view s) override
    {
        ++calls;
        return static_cast<int>(s.size()) * 10;
    }
    int calls = 0;
};

} // namespace

TEST(NextPrintLine, CrLfEndsALineAndIsConsumed)
{
    FixedMeasurer m;
    const std::string text = "title\r\n--------------------\r\nrow one\r\nrow two\r\nrow three\r\n";
    EXPECT_EQ(PrintLines(text, m, 1000),
              (std::vector<std::string>{"title", "--------------------", "row one", "row two", "row three"}));
    // Two line breaks in a row give an empty line.
    EXPECT_EQ(PrintLines("a\r\n\r\nb", m, 1000), (std::vector<std::string>{"a", "", "b"}));
}

TEST(NextPrintLine, LoneLineFeedComesOutAsALineOfItsOwn)
{
    FixedMeasurer m;
    size_t p = 0;
    const std::string text = "ab\ncd";
    EXPECT_EQ(NextPrintLine(text, p, m, 1000), "ab");
    EXPECT_EQ(p, 2u);
    EXPECT_EQ(NextPrintLine(text, p, m, 1000), "\n");
    EXPECT_EQ(NextPrintLine(text, p, m, 1000), "cd");
    EXPECT_EQ(p, text.size());
}

TEST(NextPrintLine, WideLinesBreakBetweenCharactersNeverInsideOne)
{
    FixedMeasurer m;
    // 41 units: four bytes fit.
    EXPECT_EQ(PrintLines("abcdefghij", m, 41), (std::vector<std::string>{"abcd", "efgh", "ij"}));
    const std::string mixed = std::string("a").append(Sjis("予定表"));
    const auto lines = PrintLines(mixed, m, 41); // "a" + one kanji + lead byte: the lead byte goes to the next line
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("a").append(Sjis("予")));
    EXPECT_EQ(lines[1], Sjis("定表"));
    for (int limit = 11; limit < 80; ++limit) {
        std::string joined;
        for (const auto& line : PrintLines(mixed + "\r\n" + mixed, m, limit)) {
            EXPECT_TRUE(codepage::ToUtf8(line).has_value()) << limit; // whole characters only
            joined += line;
        }
        EXPECT_EQ(joined, mixed + mixed) << limit;
    }
}

TEST(NextPrintLine, TooNarrowForOneCharacterStillEnds)
{
    FixedMeasurer m;
    size_t p = 0;
    EXPECT_EQ(NextPrintLine("abc", p, m, 5), "");
    EXPECT_EQ(p, 0u);
    const std::string text = Sjis("予") + "b\r\nc";
    EXPECT_EQ(PrintLines(text, m, 5), (std::vector<std::string>{Sjis("予"), "b", "c"}));
    EXPECT_TRUE(PrintLines("", m, 5).empty());
}
