// The refresher on its own: real files in a temporary folder, a target
// that only counts what it is told, and short intervals. When a look
// happened is measured, never assumed, so a slow machine only waits longer.
#include "common/TempDir.h"
#include "program/shell/CAutoRefresh.h"
#include "program/shellcore/RefreshTarget.h"

#include <QElapsedTimer>
#include <QtTest>
#include <string>
#include <vector>

using namespace mirovan;
using namespace mirovan::shell;

namespace {

constexpr int kBound = 15000;
constexpr auto kSettle = CFileChangeTracker::kSettleTime;
constexpr std::chrono::milliseconds kPoll{40};
constexpr std::chrono::milliseconds kShrinkSettle{1500};
// Two clocks read in whole milliseconds may disagree by one.
constexpr qint64 kSlack = 2;

class FakeTarget : public IRefreshTarget {
public:
    explicit FakeTarget(const QElapsedTimer& clock) : m_clock(clock) {}

    std::optional<Shown> ShownFiles() override { return shown; }
    CGroup::Reload GroupSettled() override
    {
        groupReads.push_back(m_clock.elapsed());
        return groupOutcome;
    }
    CScheduleMonth::ReadOutcome MonthSettled() override
    {
        monthReads.push_back(m_clock.elapsed());
        return monthOutcome;
    }
    void ShowUnreadable(const std::string& path) override { reported.push_back(path); }

    std::optional<Shown> shown;
    CGroup::Reload groupOutcome = CGroup::Reload::Same;
    CScheduleMonth::ReadOutcome monthOutcome = CScheduleMonth::ReadOutcome::Whole;
    // When each reading was asked for, on the test's clock.
    std::vector<qint64> groupReads;
    std::vector<qint64> monthReads;
    std::vector<std::string> reported;

private:
    const QElapsedTimer& m_clock;
};

int Count(const std::vector<qint64>& reads) { return static_cast<int>(reads.size()); }

// Long enough for a reading that should not come to have come: a settle
// time and several looks.
void QuietSpell() { QTest::qWait(2 * static_cast<int>(kSettle.count()) + 200); }

} // namespace

class CAutoRefreshAloneTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<test::TempDir>();
        m_group = m_dir->File("sales.group");
        m_month = m_dir->File("sales200712.sch");
        test::WriteFileBytes(m_group, std::string(40, 'g'));
        test::WriteFileBytes(m_month, std::string(100, 'm'));
        m_clock.start();
        m_target = std::make_unique<FakeTarget>(m_clock);
        m_target->shown = IRefreshTarget::Shown{true, m_group, m_month};
    }
    void cleanup()
    {
        m_target.reset();
        m_dir.reset();
    }

    // A rewritten file is read once, after it kept still for the settle
    // time; the other file, untouched, is not read again.
    void changedFileIsReadOnceAfterItSettles()
    {
        CAutoRefresh refresh(*m_target, {false, kPoll, kShrinkSettle});
        refresh.SetEnabled(true);
        // Switching on reads both once, whatever changed while off.
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 1, kBound);
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->groupReads), 1, kBound);
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), 1);
        QCOMPARE(Count(m_target->groupReads), 1);

        const qint64 written = m_clock.elapsed();
        test::WriteFileBytes(m_month, std::string(120, 'M'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 2, kBound);
        QVERIFY(m_target->monthReads[1] - written >= kSettle.count() - kSlack);
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), 2);
        QCOMPARE(Count(m_target->groupReads), 1);

        test::WriteFileBytes(m_group, std::string(60, 'G'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->groupReads), 2, kBound);
        QuietSpell();
        QCOMPARE(Count(m_target->groupReads), 2);
        QCOMPARE(Count(m_target->monthReads), 2);
        QVERIFY(m_target->reported.empty());
    }

    // A file still growing is left alone until it has been quiet for the
    // settle time; one cut shorter (a rewrite begun) waits the long time.
    void fileBeingWrittenWaitsUntilItSettles()
    {
        CAutoRefresh refresh(*m_target, {false, kPoll, kShrinkSettle});
        refresh.SetEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 1, kBound);

        std::vector<qint64> appended;
        std::string bytes(100, 'm');
        for (int i = 0; i < 8; ++i) {
            bytes += std::string(10, 'x');
            test::WriteFileBytes(m_month, bytes);
            appended.push_back(m_clock.elapsed());
            QTest::qWait(150);
        }
        QTRY_VERIFY_WITH_TIMEOUT(Count(m_target->monthReads) >= 2, kBound);
        QuietSpell();
        // Every reading followed a quiet spell of the settle time; with
        // writes 150 ms apart that is only the one after the last.
        for (size_t r = 1; r < m_target->monthReads.size(); ++r) {
            const qint64 at = m_target->monthReads[r];
            qint64 lastWrite = 0;
            for (qint64 w : appended)
                if (w <= at)
                    lastWrite = w;
            QVERIFY2(at - lastWrite >= kSettle.count() - kSlack,
                     qPrintable(QStringLiteral("read %1 ms after a write").arg(at - lastWrite)));
        }
        // The last reading saw the file as the writer left it.
        QVERIFY(m_target->monthReads.back() > appended.back());

        const int before = Count(m_target->monthReads);
        const qint64 cut = m_clock.elapsed();
        test::WriteFileBytes(m_month, std::string(50, 'm'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), before + 1, kBound);
        QVERIFY2(m_target->monthReads.back() - cut >= kShrinkSettle.count() - kSlack,
                 qPrintable(QStringLiteral("read %1 ms after the cut").arg(m_target->monthReads.back() - cut)));
    }

    // What the target made of a reading decides what comes next: a failed
    // one is named and tried again, a cut-off one waits for a change.
    void outcomesDecideTheNextLook()
    {
        CAutoRefresh refresh(*m_target, {false, kPoll, kShrinkSettle});
        m_target->monthOutcome = CScheduleMonth::ReadOutcome::Unreadable;
        refresh.SetEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(Count(m_target->monthReads) >= 2, kBound);
        QCOMPARE(m_target->reported, std::vector<std::string>{m_month});

        m_target->monthOutcome = CScheduleMonth::ReadOutcome::Whole;
        QTRY_COMPARE_WITH_TIMEOUT(m_target->reported.size(), size_t{2}, kBound);
        QCOMPARE(m_target->reported.back(), std::string());
        int reads = Count(m_target->monthReads);
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), reads);

        m_target->monthOutcome = CScheduleMonth::ReadOutcome::CutOff;
        test::WriteFileBytes(m_month, std::string(130, 'c'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), reads + 1, kBound);
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), reads + 1);
        test::WriteFileBytes(m_month, std::string(140, 'c'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), reads + 2, kBound);

        // A group file that fails is named before the month file.
        m_target->groupOutcome = CGroup::Reload::Unreadable;
        test::WriteFileBytes(m_group, std::string(70, 'G'));
        QTRY_COMPARE_WITH_TIMEOUT(m_target->reported.back(), m_group, kBound);
        refresh.SetEnabled(false);
        QCOMPARE(m_target->reported.back(), std::string());
    }

    // Nothing is read while switched off, in personal mode or with no
    // window; what changed meanwhile is read once things are back.
    void nothingIsReadWhileNothingIsFollowed()
    {
        CAutoRefresh refresh(*m_target, {false, kPoll, kShrinkSettle});
        refresh.SetEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 1, kBound);

        refresh.SetEnabled(false);
        test::WriteFileBytes(m_month, std::string(110, 'a'));
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), 1);
        refresh.SetEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 2, kBound);

        m_target->shown = IRefreshTarget::Shown{};
        test::WriteFileBytes(m_month, std::string(120, 'b'));
        QuietSpell();
        m_target->shown.reset();
        QuietSpell();
        QCOMPARE(Count(m_target->monthReads), 2);

        m_target->shown = IRefreshTarget::Shown{true, m_group, m_month};
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 3, kBound);
        QCOMPARE(Count(m_target->groupReads), 2);
    }

    // With the system's notifications a change is seen long before the
    // periodic look would come.
    void notificationNeedsNoPeriodicLook()
    {
        CAutoRefresh refresh(*m_target, {true, std::chrono::milliseconds(60000), kShrinkSettle});
        refresh.SetEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 1, kBound);
        const qint64 written = m_clock.elapsed();
        test::WriteFileBytes(m_month, std::string(150, 'n'));
        QTRY_COMPARE_WITH_TIMEOUT(Count(m_target->monthReads), 2, kBound);
        QVERIFY(m_target->monthReads[1] - written >= kSettle.count() - kSlack);
    }

private:
    std::unique_ptr<test::TempDir> m_dir;
    std::string m_group;
    std::string m_month;
    QElapsedTimer m_clock;
    std::unique_ptr<FakeTarget> m_target;
};

QTEST_MAIN(CAutoRefreshAloneTest)
#include "CAutoRefreshAloneTest.moc"
