#include "personalformat/PersonalFormat.h"
#include "personalformat/CPersonalMemos.h"

#include "common/TempDir.h"
#include "support/Archive.h"
#include "support/FileError.h"
#include "support/platform/Platform.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mirovan::personal {
namespace {

namespace fs = std::filesystem;

std::string U32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string Record(uint32_t key, std::string_view text)
{
    return U32(key) + static_cast<char>(text.size()) + std::string(text);
}

TEST(PersonalFormat, RecordsSurviveAWriteAndAReadAndTheirSizeIsKnownBeforehand)
{
    // One text of each prefix form, at both sides of each boundary.
    const std::vector<uint32_t> keys = {200701, 200702, 200703, 200704, 200705, 200701};
    const std::vector<std::string> texts = {
        "",     std::string(0xFE, 'a'), std::string(0xFF, 'b'), std::string(0xFFFD, 'c'), std::string(0xFFFE, 'd'),
        "again"};
    MemorySink sink;
    WriteRecords(sink, keys, texts);
    EXPECT_EQ(sink.Bytes().size(), RecordBytes(texts));

    std::vector<uint32_t> readKeys;
    std::vector<std::string> readTexts;
    MemorySource source(sink.Bytes());
    const RecordsRead read = ReadRecords(source, readKeys, readTexts);
    EXPECT_EQ(readKeys, keys);
    EXPECT_EQ(readTexts, texts);
    EXPECT_EQ(read.bytes, sink.Bytes().size());
    EXPECT_FALSE(read.trailing);

    const std::string withTrailingByte = sink.Bytes() + "x";
    MemorySource longer(withTrailingByte);
    readKeys.clear();
    readTexts.clear();
    EXPECT_TRUE(ReadRecords(longer, readKeys, readTexts).trailing);
}

TEST(PersonalFormat, MonthTextsSplitIntoDaysAndBack)
{
    EXPECT_TRUE(SplitDays("").empty());
    EXPECT_EQ(SplitDays("a\t\tc\t"), (std::vector<std::string>{"a", "", "c", ""}));
    EXPECT_EQ(JoinDays({"a", "", "c", ""}), "a\t\tc\t");
    // A month without any text has no record, whatever its day count.
    EXPECT_EQ(JoinDays(std::vector<std::string>(31)), "");
    EXPECT_EQ(JoinDays({}), "");
}

class PersonalMemos : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.File("calendar.mvp");
    CPersonalMemos memos;
};

TEST_F(PersonalMemos, DaysComeFromTheFirstRecordOfTheirMonth)
{
    test::WriteFileBytes(path, U32(3) + Record(200701, "one\ttwo") + Record(200702, "feb") + Record(200701, "later"));
    memos.Read(path);
    EXPECT_EQ(memos.Path(), path);
    EXPECT_EQ(memos.RecordCount(), 3u);
    EXPECT_EQ(memos.DayText(20070101), "one");
    EXPECT_EQ(memos.DayText(20070102), "two");
    EXPECT_EQ(memos.DayText(20070103), "");
    EXPECT_EQ(memos.DayText(20070201), "feb");
    EXPECT_EQ(memos.DayText(20070301), "");
    // Keys that name no day.
    EXPECT_EQ(memos.DayText(20070100), "");
    EXPECT_EQ(memos.DayText(1), "");

    // A second read shows the new file, not the month split before.
    test::WriteFileBytes(path, U32(1) + Record(200702, "new"));
    memos.Read(path);
    EXPECT_EQ(memos.DayText(20070201), "new");
    EXPECT_EQ(memos.DayText(20070101), "");
}

TEST_F(PersonalMemos, ReadingNeverCreatesOrWritesTheFile)
{
    try {
        memos.Read(path);
        ADD_FAILURE() << "a missing file was read";
    } catch (const CFileException& ex) {
        EXPECT_EQ(ReadFailureText(ex.m_cause, path), "ファイル「" + path + "」が開けません。");
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(ReadFailureText(kFileAccessDenied, path), path + " へのｱｸｾｽは拒否されました。");

    // A cut file keeps what came before the cut and stays as it was.
    const std::string cut = U32(2) + Record(200701, "kept") + U32(200702);
    test::WriteFileBytes(path, cut);
    EXPECT_THROW(memos.Read(path), CArchiveException);
    EXPECT_EQ(memos.DayText(20070101), "kept");
    EXPECT_EQ(test::ReadFileBytes(path), cut);
}

TEST_F(PersonalMemos, ReadersShareTheFileButWaitForASave)
{
    test::WriteFileBytes(path, U32(1) + Record(200701, "x"));
    {
        platform::InputFile otherReader(path);
        ASSERT_TRUE(otherReader.LockShared(std::chrono::milliseconds(0)));
        memos.Read(path, std::chrono::milliseconds(0));
        EXPECT_EQ(memos.DayText(20070101), "x");
    }
    platform::InputFile saving(path);
    ASSERT_TRUE(saving.TryLockExclusive());
    try {
        memos.Read(path, std::chrono::milliseconds(0));
        ADD_FAILURE() << "read during a save";
    } catch (const CFileException& ex) {
        EXPECT_EQ(ex.m_cause, kFileSharingViolation);
    }
}

} // namespace
} // namespace mirovan::personal
