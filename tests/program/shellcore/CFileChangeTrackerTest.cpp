#include "program/shellcore/CFileChangeTracker.h"

#include <gtest/gtest.h>

using namespace mirovan::shell;
using Decision = CFileChangeTracker::Decision;
using std::chrono::milliseconds;

namespace {

const FileStamp kOld{true, 100, 1000};
const FileStamp kGrowing{true, 150, 2000};
const FileStamp kNew{true, 200, 3000};
const milliseconds kSettle = CFileChangeTracker::kSettleTime;
const milliseconds kShrinkSettle = CFileChangeTracker::kShrinkSettleTime;

} // namespace

TEST(FileChangeTracker, ReadsOnlyOnceAChangeHasSettled)
{
    CFileChangeTracker tracker;
    tracker.Follow("a.sch", kOld);
    EXPECT_EQ(tracker.Observe(kOld, milliseconds(0)), Decision::Nothing);

    // A write in progress: every look finds another size.
    EXPECT_EQ(tracker.Observe(kGrowing, milliseconds(100)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(200)), Decision::CheckAgain);
    // Two notifications of one write, close together, are no quiet spell.
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(250)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(200) + kSettle), Decision::Read);
    tracker.Read(kNew);
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(5000)), Decision::Nothing);
}

TEST(FileChangeTracker, ChangeOfModificationTimeAloneCounts)
{
    CFileChangeTracker tracker;
    tracker.Follow("a.sch", kOld);
    const FileStamp sameSize{true, 100, 4000};
    EXPECT_EQ(tracker.Observe(sameSize, milliseconds(0)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(sameSize, kSettle), Decision::Read);
}

TEST(FileChangeTracker, AFileThatAppearsOrGoesIsAChange)
{
    CFileChangeTracker tracker;
    tracker.Follow("new.sch", FileStamp{});
    EXPECT_EQ(tracker.Observe(FileStamp{}, milliseconds(0)), Decision::Nothing);
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(0)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(kNew, kSettle), Decision::Read);
    tracker.Read(kNew);
    // Gone is shorter than any reading: it waits as a file cut short does.
    EXPECT_EQ(tracker.Observe(FileStamp{}, milliseconds(1000)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(FileStamp{}, milliseconds(1000) + kSettle), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(FileStamp{}, milliseconds(1000) + kShrinkSettle), Decision::Read);
}

TEST(FileChangeTracker, ACutOffReadWaitsForTheNextChange)
{
    CFileChangeTracker tracker;
    tracker.Follow("a.sch", kOld);
    tracker.Observe(kGrowing, milliseconds(0));
    ASSERT_EQ(tracker.Observe(kGrowing, kSettle), Decision::Read);
    // The writer paused mid-record; the reader found it cut off.
    tracker.Skip(kGrowing);
    EXPECT_EQ(tracker.Observe(kGrowing, kSettle * 3), Decision::Nothing);
    EXPECT_EQ(tracker.Observe(kNew, kSettle * 4), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(kNew, kSettle * 5), Decision::Read);
}

TEST(FileChangeTracker, ChangedAndBackIsNothing)
{
    CFileChangeTracker tracker;
    tracker.Follow("a.sch", kOld);
    EXPECT_EQ(tracker.Observe(kNew, milliseconds(0)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(kOld, kSettle), Decision::Nothing);
    // The earlier candidate does not survive the return.
    EXPECT_EQ(tracker.Observe(kNew, kSettle * 2), Decision::CheckAgain);
}

TEST(FileChangeTracker, AFileShorterThanItsLastReadingWaitsLonger)
{
    CFileChangeTracker tracker;
    tracker.Follow("a.sch", kNew);
    // Rewritten after a deletion: the writer pauses at a record boundary.
    const FileStamp firstRecords{true, 60, 4000};
    EXPECT_EQ(tracker.Observe(firstRecords, milliseconds(0)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(firstRecords, kSettle * 4), Decision::CheckAgain);
    // It goes on: growing again is the same write, even past the old size.
    const FileStamp longer{true, 250, 5000};
    EXPECT_EQ(tracker.Observe(kGrowing, kSettle * 5), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(longer, kSettle * 6), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(longer, kSettle * 8), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(longer, kSettle * 6 + kShrinkSettle), Decision::Read);

    // A reading that failed records nothing: the next look reads again.
    EXPECT_EQ(tracker.Observe(longer, kSettle * 7 + kShrinkSettle), Decision::Read);
    tracker.Read(longer);
    EXPECT_EQ(tracker.Observe(longer, kSettle * 8 + kShrinkSettle), Decision::Nothing);
    // Settled at a shorter size only after the long wait.
    const FileStamp shorter{true, 180, 6000};
    const milliseconds start = kSettle * 10 + kShrinkSettle;
    EXPECT_EQ(tracker.Observe(shorter, start), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(shorter, start + kShrinkSettle - milliseconds(1)), Decision::CheckAgain);
    EXPECT_EQ(tracker.Observe(shorter, start + kShrinkSettle), Decision::Read);
}
