#include "program/shell/CGroupWeekModel.h"

#include "guisupport/QtText.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"
#include "program/groupdata/Holidays.h"
#include "support/DayColour.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <algorithm>

namespace mirovan::shell {
namespace {

// The month view passes over a month file it cannot read in silence; so
// does the week, which looks at its files again and again.
class SilentUi : public IUserInterface {
public:
    void ShowMessage(const std::string&, MessageIcon) override {}
};

QColor FromColourRef(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

const QColor kChosenRow(255, 250, 205);
const QColor kFreeRow(220, 245, 220);
const QString kWeekdays[] = {QStringLiteral("日"), QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                             QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土")};

QString TsvCell(QString text)
{
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('"')))
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

CGroupWeekModel::CGroupWeekModel(const CGroup& group, const CHolidayTables& holidays, QObject* parent)
    : QAbstractTableModel(parent), m_group(group), m_holidays(holidays), m_silent(std::make_unique<SilentUi>()),
      m_week(group, *m_silent)
{
}

CGroupWeekModel::~CGroupWeekModel() = default;

void CGroupWeekModel::ShowWeekOf(groupweek::Day day)
{
    m_first = groupweek::WeekStart(day);
    Reload();
}

void CGroupWeekModel::SetHours(const groupweek::WorkingHours& hours)
{
    m_hours = hours;
    BuildFreeRow();
    const int row = static_cast<int>(m_rows.size());
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CGroupWeekModel::SetShowEndTime(bool shown)
{
    if (m_endTime == shown)
        return;
    m_endTime = shown;
    Reload();
}

void CGroupWeekModel::SetToday(groupweek::Day today)
{
    m_today = today;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void CGroupWeekModel::Reload()
{
    beginResetModel();
    Build();
    endResetModel();
}

void CGroupWeekModel::Build()
{
    m_rows.clear();
    const int chosen = m_group.SelectedIndex();
    std::vector<int> members = groupweek::WeekMembers(m_group);
    // The chosen member first; the others keep the group's order.
    const auto it = std::find(members.begin(), members.end(), chosen);
    if (it != members.end())
        std::rotate(members.begin(), it, it + 1);
    std::vector<std::string> codes;
    for (int i : members) {
        const CMember m = m_group.MemberAt(i);
        Row row;
        row.memberIndex = i;
        row.code = m.Code();
        row.name = qttext::FromCp932(m.Name());
        row.chosen = i == chosen;
        m_rows.push_back(std::move(row));
        codes.emplace_back(m.Code());
    }
    m_week.Load(m_first, codes);
    m_headings.clear();
    for (const groupweek::Day& d : m_week.Days())
        m_headings.push_back(groupweek::HeadingOf(d, m_holidays));
    for (size_t r = 0; r < m_rows.size(); ++r) {
        for (size_t d = 0; d < m_week.Days().size(); ++d) {
            QStringList lines;
            for (const CScheduleEntry* e : m_week.Entries(r, d))
                lines << qttext::FromCp932(EntryLine(*e, m_endTime));
            m_rows[r].cells << lines.join(QLatin1Char('\n'));
        }
    }
    BuildFreeRow();
}

void CGroupWeekModel::BuildFreeRow()
{
    m_free.clear();
    for (size_t d = 0; d < m_week.Days().size(); ++d) {
        std::vector<groupweek::BusyInterval> busy;
        bool anyone = false;
        for (size_t r = 0; r < m_rows.size(); ++r) {
            if (m_unticked.contains(qttext::FromCp932(m_rows[r].code)))
                continue;
            anyone = true;
            for (const auto& b : groupweek::BusyIntervals(m_week.Entries(r, d)))
                busy.push_back(b);
        }
        QStringList lines;
        if (anyone)
            for (const groupweek::FreeSlot& s : groupweek::FreeSlots(busy, m_hours))
                lines << QString::fromStdString(groupweek::ClockText(s.start)) + QStringLiteral("～") +
                             QString::fromStdString(groupweek::ClockText(s.end));
        m_free << lines.join(QLatin1Char('\n'));
    }
}

std::vector<std::string> CGroupWeekModel::MonthPaths() const
{
    std::vector<std::string> out;
    for (const CScheduleMonth* m : m_week.Months())
        out.push_back(m->Path());
    return out;
}

QString CGroupWeekModel::MemberSignature() const
{
    QString s = QString::number(m_group.SelectedIndex());
    for (int i = 0; i < m_group.MemberCount(); ++i) {
        const CMember m = m_group.MemberAt(i);
        s += QLatin1Char('\n') + qttext::FromCp932(m.Code()) + QLatin1Char('\t') + qttext::FromCp932(m.Name()) +
             QLatin1Char('\t') + QString::number(m.Attributes());
    }
    return s;
}

int CGroupWeekModel::MemberIndex(int row) const
{
    return row >= 0 && row < static_cast<int>(m_rows.size()) ? m_rows[static_cast<size_t>(row)].memberIndex : -1;
}

std::optional<groupweek::Day> CGroupWeekModel::DayOfColumn(int column) const
{
    if (column < 1 || column > static_cast<int>(m_headings.size()))
        return std::nullopt;
    return m_headings[static_cast<size_t>(column - 1)].day;
}

int CGroupWeekModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) + 1;
}

int CGroupWeekModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(m_headings.size());
}

QString CGroupWeekModel::CellText(int row, int column) const
{
    if (IsFreeRow(row))
        return column == kNameColumn ? QStringLiteral("空き時間") : m_free.value(column - 1);
    const Row& r = m_rows[static_cast<size_t>(row)];
    return column == kNameColumn ? r.name : r.cells.value(column - 1);
}

QVariant CGroupWeekModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return CellText(row, column);
    case Qt::ToolTipRole: {
        const QString text = CellText(row, column);
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case Qt::CheckStateRole:
        if (column != kNameColumn || IsFreeRow(row))
            return {};
        return m_unticked.contains(qttext::FromCp932(m_rows[static_cast<size_t>(row)].code)) ? Qt::Unchecked
                                                                                             : Qt::Checked;
    case Qt::BackgroundRole:
        if (IsFreeRow(row))
            return QBrush(kFreeRow);
        if (m_rows[static_cast<size_t>(row)].chosen)
            return QBrush(kChosenRow);
        return {};
    case Qt::FontRole:
        if (IsFreeRow(row) || m_rows[static_cast<size_t>(row)].chosen) {
            QFont font;
            font.setBold(column == kNameColumn);
            return font;
        }
        return {};
    case Qt::TextAlignmentRole:
        // The name beside its check box; a day's lines from the top.
        return QVariant::fromValue(Qt::AlignLeft | (column == kNameColumn ? Qt::AlignVCenter : Qt::AlignTop));
    default: return {};
    }
}

QString CGroupWeekModel::HeadingText(int column) const
{
    if (column == kNameColumn)
        return QStringLiteral("メンバー");
    const groupweek::DayHeading& h = m_headings[static_cast<size_t>(column - 1)];
    QString text = QStringLiteral("%1/%2 (%3)").arg(h.day.month).arg(h.day.day).arg(kWeekdays[h.weekday]);
    QStringList notes;
    if (h.day == m_today)
        notes << QStringLiteral("今日");
    if (!h.holidayName.empty())
        notes << qttext::FromUtf8(h.holidayName);
    if (!notes.isEmpty())
        text += QLatin1Char('\n') + notes.join(QStringLiteral("・"));
    return text;
}

QVariant CGroupWeekModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return HeadingText(section);
    case Qt::BackgroundRole:
        if (section == kNameColumn)
            return {};
        switch (m_headings[static_cast<size_t>(section - 1)].kind) {
        case DayKind::Holiday: return QBrush(FromColourRef(kHolidayDayColour));
        case DayKind::Saturday: return QBrush(FromColourRef(kSaturdayDayColour));
        case DayKind::Ordinary: return {};
        }
        return {};
    case Qt::FontRole:
        if (section != kNameColumn && m_headings[static_cast<size_t>(section - 1)].day == m_today) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default: return {};
    }
}

Qt::ItemFlags CGroupWeekModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kNameColumn && !IsFreeRow(index.row()))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

bool CGroupWeekModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::CheckStateRole || index.column() != kNameColumn || IsFreeRow(index.row()) || !index.isValid())
        return false;
    const QString code = qttext::FromCp932(m_rows[static_cast<size_t>(index.row())].code);
    if (value.value<Qt::CheckState>() == Qt::Checked)
        m_unticked.remove(code);
    else
        m_unticked.insert(code);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    BuildFreeRow();
    const int row = static_cast<int>(m_rows.size());
    emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    return true;
}

QString CGroupWeekModel::ToTsv() const
{
    QStringList lines;
    QStringList heading;
    for (int c = 0; c < columnCount(); ++c)
        heading << TsvCell(HeadingText(c));
    lines << heading.join(QLatin1Char('\t'));
    for (int r = 0; r < rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c)
            cells << TsvCell(CellText(r, c));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace mirovan::shell
