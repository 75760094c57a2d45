#include "support/Codepage.h"
#include "support/registry/RegistryHiveText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirovan::registry {
namespace {

std::string Cp(const char* utf8) { return codepage::FromUtf8(utf8).value(); }

std::string Sz(const std::string& cp932) { return cp932 + '\0'; }

std::string Utf16LeWithBom(const std::u16string& text)
{
    std::string out = "\xFF\xFE";
    for (char16_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

std::string ParseError(std::string_view bytes)
{
    Hive hive("HKEY_CURRENT_USER");
    std::string error;
    return ParseHive(hive, bytes, error) ? std::string("parsed") : error;
}

TEST(HiveFormat, EveryValueFormSurvivesWritingAndReading)
{
    Hive hive("HKEY_CURRENT_USER");
    HiveKey* key = hive.Create("Software\\Tavric\\Mirovan\\Property");
    ASSERT_NE(key, nullptr);
    key->SetValue("Ver", kDword, std::string("\xdc\x00\x00\x00", 4));
    key->SetValue("", kString, Sz("default"));
    key->SetValue("Font0", kString, Sz(Cp("ＭＳ Ｐゴシック")));
    key->SetValue("Empty", kString, Sz(""));
    key->SetValue("quote\"and\\slash", kString, Sz("C:\\tmp\\\"x\""));
    key->SetValue("Lines", kString, Sz("one\r\ntwo"));
    key->SetValue("Unterminated", kString, "abc");
    key->SetValue("Short", kDword, "\x01\x02");
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i);
    key->SetValue("Blob", kBinary, bytes);
    key->SetValue("NoBytes", kBinary, "");
    key->SetValue("Expand", kExpandString, std::string("%\0A\0\0\0", 6));
    key->SetValue("Multi", kMultiString, std::string("a\0b\0\0", 5));
    key->SetValue("Q", kQword, std::string(8, '\x7f'));
    key->SetValue("None", kNone, "");
    key->SetValue("Odd", 0x12345678u, "z");
    HiveKey* japanese = hive.Create(Cp("Software\\表\\名前"), Cp("クラス"));
    ASSERT_NE(japanese, nullptr);
    japanese->SetValue(Cp("値"), kString, Sz(Cp("予定～")));
    hive.Root().SetValue("AtRoot", kDword, std::string(4, '\0'));

    const auto text = SerializeHive(hive);
    ASSERT_TRUE(text);
    for (const char* line : {"[HKEY_CURRENT_USER]\n", "[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\n",
                             "\"Ver\"=dword:000000dc\n", "@=\"default\"\n", "\"Empty\"=\"\"\n",
                             "\"quote\\\"and\\\\slash\"=\"C:\\\\tmp\\\\\\\"x\\\"\"\n", "\"NoBytes\"=hex:\n",
                             "\"Expand\"=hex(2):25,00,41,00,00,00\n", "\"Odd\"=hex(12345678):7a\n",
                             "\"Short\"=hex(4):01,02\n", "\"Font0\"=\"ＭＳ Ｐゴシック\"\n",
                             "[HKEY_CURRENT_USER\\Software\\表\\名前]\n;Class=\"クラス\"\n\"値\"=\"予定～\"\n"})
        EXPECT_NE(text->find(line), std::string::npos) << line;
    EXPECT_EQ(text->rfind("Windows Registry Editor Version 5.00\n\n", 0), 0u);
    // Long data is cut into continued lines of at most 80 columns.
    EXPECT_NE(text->find(",\\\n  "), std::string::npos);
    for (size_t start = 0, end; (end = text->find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_LE(end - start, 80u);

    Hive back("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(ParseHive(back, *text, error)) << error;
    EXPECT_TRUE(back == hive);
    EXPECT_EQ(back.Find(Cp("Software\\表"))->SubkeyCount(), 1u);
}

TEST(HiveFormat, ReadsAUnicodeExportOfThePlatformEditor)
{
    const std::string bytes = Utf16LeWithBom(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                             u"[HKEY_CURRENT_USER\\Software\\Tavric\\Mirovan\\Property]\r\n"
                                             u"@=\"既定\"\r\n"
                                             u"\"Font1\"=\"ＭＳ Ｐ明朝\"\r\n"
                                             u"\"FontSize1\"=dword:00000064\r\n"
                                             u"\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,\\\r\n"
                                             u"  78,00,00,00\r\n"
                                             u"\r\n");
    Hive hive("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(ParseHive(hive, bytes, error)) << error;
    const HiveKey* key = hive.Find("software\\TAVRIC\\mirovan\\property");
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Name(), "Property");
    ASSERT_NE(key->FindValue(""), nullptr);
    EXPECT_EQ(key->FindValue("")->data, Sz(Cp("既定")));
    EXPECT_EQ(key->FindValue("FONT1")->data, Sz(Cp("ＭＳ Ｐ明朝")));
    EXPECT_EQ(key->FindValue("FontSize1")->data, std::string("\x64\0\0\0", 4));
    // Expandable text keeps the export's UTF-16 bytes.
    EXPECT_EQ(key->FindValue("Path")->type, kExpandString);
    EXPECT_EQ(key->FindValue("Path")->data, std::string("%\0H\0O\0M\0E\0%\0\\\0x\0\0\0", 18));
}

TEST(HiveFormat, ReadsTheOlderCodePageExport)
{
    const std::string bytes = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\" + Cp("表") + "]\r\n\"" + Cp("名") +
                              "\"=\"" + Cp("ソ") + "\"\r\n";
    Hive hive("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(ParseHive(hive, bytes, error)) << error;
    const HiveKey* key = hive.Find("Software\\" + Cp("表"));
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->FindValue(Cp("名"))->data, Sz(Cp("ソ")));
}

TEST(HiveNames, CompareWithoutCaseButKeepTheirSpellingAndOrder)
{
    Hive hive("HKEY_CURRENT_USER");
    HiveKey* a = hive.Create("Software\\Zeta");
    hive.Create("software\\Alpha");
    EXPECT_EQ(hive.Create("SOFTWARE\\zeta"), a);
    EXPECT_EQ(hive.Find("Software")->Name(), "Software");
    std::vector<std::string> names;
    for (const HiveKey& k : hive.Find("Software")->Subkeys())
        names.push_back(k.Name());
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "Alpha"}));

    a->SetValue("First", kDword, "1");
    a->SetValue("Second", kDword, "2");
    a->SetValue("FIRST", kString, "3");
    ASSERT_EQ(a->Values().size(), 2u);
    EXPECT_EQ(a->Values().front(), (HiveValue{"First", kString, "3"}));

    // Full-width letters fold too, but a trail byte is never folded:
    // "ア" (83 41) and "ャ" (83 61) stay apart.
    EXPECT_EQ(FoldName(Cp("ＡＢＣ")), FoldName(Cp("ａｂｃ")));
    EXPECT_EQ(FoldName(Cp("ΑΩ")), FoldName(Cp("αω")));
    EXPECT_EQ(FoldName(Cp("АОЯЁ")), FoldName(Cp("аояё")));
    EXPECT_NE(FoldName(Cp("ア")), FoldName(Cp("ャ")));
    hive.Create("Software\\" + Cp("ア"));
    EXPECT_EQ(hive.Find("Software\\" + Cp("ャ")), nullptr);
}

TEST(HiveNames, KeyPathsSplitOnlyOnRealBackslashes)
{
    // "表" is 95 5C: its second byte is not a separator.
    EXPECT_EQ(SplitKeyPath(Cp("表\\示")), (std::vector<std::string>{Cp("表"), Cp("示")}));
    EXPECT_EQ(SplitKeyPath(""), std::vector<std::string>{});
    EXPECT_FALSE(SplitKeyPath("a\\\\b"));
    EXPECT_FALSE(SplitKeyPath("\\a"));
    EXPECT_FALSE(SplitKeyPath("a\\"));
    EXPECT_FALSE(SplitKeyPath(std::string("a\0b", 3)));
}

TEST(HiveFormat, HonoursDeletionLines)
{
    Hive hive("HKEY_CURRENT_USER");
    std::string error;
    ASSERT_TRUE(ParseHive(hive,
                          "Windows Registry Editor Version 5.00\n\n"
                          "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                          "[HKEY_CURRENT_USER\\A\\B]\n\"x\"=-\n"
                          "[HKEY_CURRENT_USER\\C\\D]\n"
                          "[-HKEY_CURRENT_USER\\C]\n\"ignored\"=\"3\"\n",
                          error))
        << error;
    const HiveKey* b = hive.Find("A\\B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->FindValue("x"), nullptr);
    EXPECT_NE(b->FindValue("y"), nullptr);
    EXPECT_EQ(hive.Find("C"), nullptr);
    EXPECT_EQ(hive.KeyCount(), 2u);
}

TEST(HiveFormat, RefusesDamagedFilesNamingTheLine)
{
    const std::string h = "Windows Registry Editor Version 5.00\n\n";
    const struct {
        std::string bytes;
        std::string where;
    } cases[] = {
        {"Windows Registry Editor Version 4.00\n", "line 1:"},
        {std::string("\x7f\x45\x4c\x46\x02\x01\x01\0\0\0", 10), "line 1:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=\"\xff\xfe\"\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=\"cut", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A\n", "line 3:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,02,\\\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,,02\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex:123\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex(x):00\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=dword:123456789\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=dword:\n", "line 4:"},
        // Lines cut short.
        {h + "[HKEY_CURRENT_USER\\A]\n\"Mode\"=dword:0000\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\r\n\"Mode\"=dword:0000000\r\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"Path\"=\"C:\\\\tmp\\\"\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex:01,02,0\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=hex(2):25,00,\\\n  4\n\"w\"=dword:00000001\n", "line 5:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"v\"=\"a\" trailing\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A]\nplain words\n", "line 4:"},
        {h + "\"v\"=\"before any key\"\n", "line 3:"},
        {h + "[HKEY_LOCAL_MACHINE\\A]\n", "line 3:"},
        {h + "[HKEY_CURRENT_USER\\A\\\\B]\n", "line 3:"},
        {h + "[HKEY_CURRENT_USER\\A]\n\"\xf0\x9f\x98\x80\"=\"no such character in the code page\"\n", "line 4:"},
        {h + "[HKEY_CURRENT_USER\\A\rB]\n", "line 3:"},
        {Utf16LeWithBom(u"Windows Registry Editor Version 5.00\r\n") + "x", "UTF-16"},
        {Utf16LeWithBom(u"Windows Registry Editor Version 5.00\r\n\xD800\r\n"), "surrogate"},
    };
    for (const auto& c : cases) {
        const std::string error = ParseError(c.bytes);
        EXPECT_NE(error.find(c.where), std::string::npos) << c.bytes << " -> " << error;
    }
    EXPECT_EQ(ParseError(""), "parsed");
    EXPECT_EQ(ParseError("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"), "parsed");
}

TEST(HiveFormat, LineEndsAndEncodingDoNotMatter)
{
    const std::u16string text = u"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n"
                                u"\"Mode\"=dword:00000001\n\"Bytes\"=hex:01,\\\n  ff\n\"Name\"=\"予定\"\n";
    std::u16string crlf;
    for (const char16_t c : text)
        crlf += c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
    const auto utf8 = [](const std::u16string& s) {
        std::string out;
        for (const char16_t c : s)
            out += c == u'予' ? "\xE4\xBA\x88" : c == u'定' ? "\xE5\xAE\x9A" : std::string(1, static_cast<char>(c));
        return out;
    };
    std::vector<std::string> written;
    for (const std::string& bytes :
         {utf8(text), utf8(crlf), "\xEF\xBB\xBF" + utf8(crlf), Utf16LeWithBom(text), Utf16LeWithBom(crlf)}) {
        Hive hive("HKEY_CURRENT_USER");
        std::string error;
        EXPECT_TRUE(ParseHive(hive, bytes, error)) << error;
        written.push_back(SerializeHive(hive).value_or("unwritable"));
    }
    for (const std::string& each : written)
        EXPECT_EQ(each, written[0]);
    EXPECT_NE(written[0].find("\"Bytes\"=hex:01,ff"), std::string::npos) << written[0];
}

TEST(HiveLimits, KeepATreeInProportionToItsFile)
{
    Hive hive("HKEY_CURRENT_USER");
    std::string deep;
    for (size_t i = 0; i < kMaxKeyDepth; ++i)
        deep += i ? "\\k" : "k";
    EXPECT_NE(hive.Create(deep), nullptr);
    EXPECT_EQ(hive.Create(deep + "\\k"), nullptr);
    EXPECT_NE(hive.Create(std::string(kMaxKeyNameChars, 'n')), nullptr);
    EXPECT_EQ(hive.Create(std::string(kMaxKeyNameChars + 1, 'n')), nullptr);
    // Characters, not bytes: 255 double-byte characters are allowed.
    std::string wide;
    for (size_t i = 0; i < kMaxKeyNameChars; ++i)
        wide += Cp("あ");
    EXPECT_NE(hive.Create(wide), nullptr);

    Hive many("HKEY_CURRENT_USER");
    HiveKey* last = nullptr;
    for (size_t i = 0; i < kMaxKeys; ++i)
        last = many.Create(std::to_string(i));
    EXPECT_NE(last, nullptr);
    EXPECT_EQ(many.Create("one too many"), nullptr);
    EXPECT_TRUE(many.Remove("0"));
    EXPECT_NE(many.Create("room again"), nullptr);

    // Whole paths add up: a written file holds each of them.
    Hive longPaths("HKEY_CURRENT_USER");
    const std::string longName(kMaxKeyNameChars, 'p');
    size_t made = 0;
    while (longPaths.Create(std::to_string(made) + "\\" + longName))
        ++made;
    EXPECT_LT(longPaths.KeyCount(), kMaxKeys);
    EXPECT_LE(longPaths.PathBytes(), kMaxPathBytes);
    EXPECT_GT(longPaths.PathBytes(), kMaxPathBytes - 2 * (longName.size() + 8));
    const auto written = SerializeHive(longPaths);
    ASSERT_TRUE(written);
    EXPECT_LT(written->size(), kMaxPathBytes + longPaths.KeyCount() * 24);
    const size_t before = longPaths.PathBytes();
    EXPECT_TRUE(longPaths.Remove("1"));
    EXPECT_EQ(longPaths.PathBytes(), before - (1 + (1 + 1 + longName.size())));
    EXPECT_TRUE(longPaths.Create("1\\" + longName)) << "room again";

    const std::string tooDeep = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + deep + "\\k]\n";
    EXPECT_NE(ParseError(tooDeep).find("line 3:"), std::string::npos);
}

TEST(HiveFormat, RefusesToWriteWhatItCouldNotReadBack)
{
    Hive badName("HKEY_CURRENT_USER");
    badName.Create("A")->SetValue("two\nlines", kDword, "1234");
    std::string error;
    EXPECT_FALSE(SerializeHive(badName, &error));
    EXPECT_FALSE(error.empty());

    Hive badCodePage("HKEY_CURRENT_USER");
    badCodePage.Create("\x81"); // a lead byte with nothing after it
    EXPECT_FALSE(SerializeHive(badCodePage));

    // Text the quoted form cannot carry goes out as bytes instead.
    Hive text("HKEY_CURRENT_USER");
    text.Create("A")->SetValue("v", kString, std::string("\x81\0", 2));
    const auto written = SerializeHive(text);
    ASSERT_TRUE(written);
    EXPECT_NE(written->find("\"v\"=hex(1):81,00\n"), std::string::npos);
    Hive back("HKEY_CURRENT_USER");
    ASSERT_TRUE(ParseHive(back, *written, error)) << error;
    EXPECT_TRUE(back == text);
}

} // namespace
} // namespace mirovan::registry
