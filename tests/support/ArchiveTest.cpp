#include "support/Archive.h"
#include "support/FileError.h"

#include <functional>
#include <gtest/gtest.h>

using namespace mirovan;

namespace {

std::string Encode(const std::function<void(ArchiveWriter&)>& write)
{
    MemorySink sink;
    {
        ArchiveWriter w(sink);
        write(w);
    }
    return sink.Bytes();
}

int CauseOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CArchiveException& ex) {
        return ex.m_cause;
    }
    return -1;
}

// Counts what a reader asks the source for, to prove that a huge length
// is refused before it is read or allocated.
class CountingSource : public MemorySource {
public:
    using MemorySource::MemorySource;
    size_t ReadSome(char* buffer, size_t size) override
    {
        requested += size;
        return MemorySource::ReadSome(buffer, size);
    }
    size_t requested = 0;
};

} // namespace

TEST(Archive, NumbersAreLittleEndian)
{
    const std::string bytes = Encode([](ArchiveWriter& w) {
        w.WriteU32(0x01020304);
        w.WriteI32(-2);
        w.WriteU16(0xBEEF);
        w.WriteDouble(39114.25);
    });
    ASSERT_EQ(bytes.size(), 18u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x03\x02\x01", 4));
    MemorySource src(bytes);
    ArchiveReader r(src);
    EXPECT_EQ(r.ReadU32(), 0x01020304u);
    EXPECT_EQ(r.ReadI32(), -2);
    EXPECT_EQ(r.ReadU16(), 0xBEEF);
    EXPECT_EQ(r.ReadDouble(), 39114.25);
    EXPECT_TRUE(r.AtEnd());
}

TEST(Archive, EveryLengthPrefixForm)
{
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, std::string("\x00", 1)},
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {0xFFFD, "\xFF\xFD\xFF"},
        {0xFFFE, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        const std::string text(c.length, 'x');
        const std::string bytes = Encode([&](ArchiveWriter& w) { w.WriteString(text); });
        EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length);
        MemorySource src(bytes);
        ArchiveReader r(src);
        EXPECT_EQ(r.ReadString(), text) << c.length;
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(Archive, Utf16FormIsConvertedToTheCodePage)
{
    // 0xFF 0xFFFE, then the character count with the ordinary prefix.
    const std::string bytes = Encode([](ArchiveWriter& w) { w.WriteUtf16String(u"仮A😀"); });
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE\xFF\x04", 4));
    MemorySource src(bytes);
    ArchiveReader r(src);
    EXPECT_EQ(r.ReadString(), "\x89\xBC"
                              "A?");

    const std::string longer = Encode([](ArchiveWriter& w) { w.WriteUtf16String(std::u16string(300, u'a')); });
    EXPECT_EQ(longer.substr(0, 6), std::string("\xFF\xFE\xFF\xFF\x2C\x01", 6));
    MemorySource src2(longer);
    ArchiveReader r2(src2);
    EXPECT_EQ(r2.ReadString(), std::string(300, 'a'));
}

TEST(Archive, EndOfFileInsideAFieldIsCauseThree)
{
    const std::string full = Encode([](ArchiveWriter& w) {
        w.WriteU32(7);
        w.WriteString(std::string(300, 'y'));
        w.WriteUtf16String(u"abc");
        w.WriteDouble(1.5);
    });
    for (size_t cut = 0; cut < full.size(); ++cut) {
        MemorySource src(std::string_view(full).substr(0, cut));
        ArchiveReader r(src);
        EXPECT_EQ(CauseOf([&] {
                      r.ReadU32();
                      r.ReadString();
                      r.ReadString();
                      r.ReadDouble();
                  }),
                  kArchiveEndOfFile)
            << cut;
    }
}

TEST(Archive, AbsurdLengthsAreRefusedWithoutReadingOrAllocating)
{
    // 0xFF 0xFFFF then 0xFFFFFFF0 bytes claimed, and an 0xFFFE form
    // claiming twice that, each with only a few bytes behind them.
    for (const std::string& bytes : {std::string("\xFF\xFF\xFF\xF0\xFF\xFF\xFF"
                                                 "abc",
                                                 10),
                                     std::string("\xFF\xFE\xFF\xFF\xFF\xFF\xF0\xFF\xFF\xFF"
                                                 "abcd",
                                                 14)}) {
        CountingSource src(bytes);
        ArchiveReader r(src);
        EXPECT_EQ(CauseOf([&] { r.ReadString(); }), kArchiveEndOfFile);
        EXPECT_LE(src.requested, 2 * 4096u);
    }
    MemorySource src("\x01\x02");
    ArchiveReader r(src);
    EXPECT_EQ(CauseOf([&] { r.Skip(uint64_t{1} << 40); }), kArchiveEndOfFile);
}

TEST(Archive, ReadsAcrossBufferBoundaries)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 600; ++i)
        texts.push_back(std::string(static_cast<size_t>(i * 7 % 400), static_cast<char>('a' + i % 26)));
    const std::string bytes = Encode([&](ArchiveWriter& w) {
        for (const auto& t : texts) {
            w.WriteString(t);
            w.WriteU32(static_cast<uint32_t>(t.size()));
        }
    });
    MemorySource src(bytes);
    ArchiveReader r(src);
    for (const auto& t : texts) {
        ASSERT_EQ(r.ReadString(), t);
        ASSERT_EQ(r.ReadU32(), t.size());
    }
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.Position(), bytes.size());
}
