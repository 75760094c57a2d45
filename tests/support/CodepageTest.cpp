#include "support/Codepage.h"

#include <gtest/gtest.h>

using namespace mirovan::codepage;

TEST(Codepage, RoundTripsJapaneseAndTheWindowsWaveDash)
{
    const std::string utf8 = "営業部 ～ ①ﾃｽﾄ";
    const auto cp = FromUtf8(utf8);
    ASSERT_TRUE(cp);
    // ～ must be 0x8160 (U+FF5E), the byte pair the platform writes.
    EXPECT_NE(cp->find("\x81\x60"), std::string::npos);
    EXPECT_EQ(ToUtf8(*cp), utf8);
    EXPECT_EQ(ToUtf8("\x81\x60"), "\xEF\xBD\x9E");
}

TEST(Codepage, RejectsWhatTheOtherSideCannotHold)
{
    EXPECT_FALSE(FromUtf8("絵文字😀"));
    EXPECT_FALSE(ToUtf8("\x81"));       // lead byte without its trail
    EXPECT_FALSE(ToUtf8("ab\x81\x20")); // bad trail byte
    EXPECT_EQ(ToUtf8Lossy("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8Lossy("\xA0"
                          "b"),
              "\xEF\xBF\xBD"
              "b");
}

// ASCII text is taken as it is; no byte from 0x80 may pass that way.
TEST(Codepage, OnlyAsciiPassesUnconverted)
{
    for (int b = 0; b < 0x100; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string out = ToUtf8Lossy("a" + one);
        if (b < 0x80) {
            EXPECT_EQ(out, "a" + one) << b;
            EXPECT_EQ(ToUtf8(one), one) << b;
        } else {
            EXPECT_NE(out, "a" + one) << b;
            EXPECT_NE(ToUtf8(one), one) << b;
        }
    }
    EXPECT_EQ(ToUtf8Lossy("\x82\xA0x"), "あx");
}

TEST(Codepage, Utf16ToCodePageReplacesWhatItLacks)
{
    EXPECT_EQ(FromUtf16LeLossy(u"仮"), "\x89\xBC");
    EXPECT_EQ(FromUtf16LeLossy(u"a😀b"), "a?b");                             // a surrogate pair is one character
    EXPECT_EQ(FromUtf16LeLossy(std::u16string(1, u'\xD800') + u"x"), "?x"); // unpaired surrogate
    EXPECT_EQ(FromUtf16LeLossy(u""), "");
}

TEST(Codepage, NamesTheCharactersItCannotStore)
{
    const auto bad = UnmappableCharacters("予定😀と🎉と😀");
    ASSERT_EQ(bad.size(), 2u);
    EXPECT_EQ(bad[0], "😀");
    EXPECT_EQ(bad[1], "🎉");
    EXPECT_TRUE(UnmappableCharacters("普通の文字 abc").empty());
    EXPECT_EQ(UnmappableCharacters("a\xFF").size(), 1u);
}

TEST(Codepage, LeadBytes)
{
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0x9F));
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xA0));
    EXPECT_FALSE(IsLeadByte(0xB1)); // half-width katakana is single-byte
    EXPECT_FALSE(IsLeadByte('A'));
}

TEST(Codepage, ReplacingWhatCannotBeStored)
{
    const std::string geta = FromUtf8("〓").value();
    EXPECT_EQ(ToUtf8(FromUtf8Replacing("予定😀です🎉", geta)), "予定〓です〓");
    EXPECT_EQ(FromUtf8Replacing("plain", geta), "plain");
    EXPECT_EQ(FromUtf8Replacing("a\xFF", "?"), "a?");
}
