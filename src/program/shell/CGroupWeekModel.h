#pragma once
// The group week as a table: a row per shown member (the chosen one
// first), a column for the names and their free-time check boxes and one
// per day from Sunday, and a last row of the times the ticked members are
// all free. The rules are groupweek's; this only lays them out.
#include "program/groupdata/GroupWeek.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mirovan {
class CGroup;
class CHolidayTables;
}

namespace mirovan::shell {

class CGroupWeekModel : public QAbstractTableModel {
public:
    CGroupWeekModel(const CGroup& group, const CHolidayTables& holidays, QObject* parent = nullptr);
    ~CGroupWeekModel() override;

    // Shows the week (Sunday to Saturday) that holds the day.
    void ShowWeekOf(groupweek::Day day);
    // Reads the group's members and the week's month files again.
    void Reload();
    void SetHours(const groupweek::WorkingHours& hours);
    const groupweek::WorkingHours& Hours() const { return m_hours; }
    void SetShowEndTime(bool shown);
    // The day the main window calls today, for the heading's mark.
    void SetToday(groupweek::Day today);

    groupweek::Day FirstDay() const { return m_first; }
    // The month files the week reads, for following them.
    std::vector<std::string> MonthPaths() const;
    // What the members look like now; a change means Reload.
    QString MemberSignature() const;

    static constexpr int kNameColumn = 0;
    // The group's index of a row's member; -1 for the free-time row.
    int MemberIndex(int row) const;
    bool IsFreeRow(int row) const { return row == static_cast<int>(m_rows.size()); }
    // The day of a column; nothing for the name column.
    std::optional<groupweek::Day> DayOfColumn(int column) const;

    // The whole week as tab-separated lines, headings first; cells of
    // several lines in double quotes, as spreadsheets read them.
    QString ToTsv() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    struct Row {
        int memberIndex = -1;
        std::string code;
        QString name;
        bool chosen = false;
        QStringList cells; // per day, the lines joined
    };
    void Build();
    void BuildFreeRow();
    QString CellText(int row, int column) const;
    QString HeadingText(int column) const;

    const CGroup& m_group;
    const CHolidayTables& m_holidays;
    std::unique_ptr<IUserInterface> m_silent;
    groupweek::CWeekSchedule m_week;
    groupweek::Day m_first{};
    groupweek::Day m_today{};
    groupweek::WorkingHours m_hours;
    bool m_endTime = false;
    std::vector<Row> m_rows;
    std::vector<groupweek::DayHeading> m_headings;
    QStringList m_free;
    // Codes left out of the free time; kept across weeks and reloads.
    QSet<QString> m_unticked;
};

} // namespace mirovan::shell
