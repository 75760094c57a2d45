#include "program/shell/CGroupWeekWindow.h"

#include "guisupport/QtText.h"
#include "program/groupdata/CGroup.h"
#include "program/groupdata/Holidays.h"
#include "program/shell/CGroupWeekModel.h"
#include "support/OleDate.h"
#include "support/platform/Clock.h"
#include "support/settings/SettingsStore.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace mirovan::shell {
namespace {

groupweek::Day TodayDay()
{
    const platform::LocalDate t = platform::Today();
    return {t.year, t.month, t.day};
}

// Stored hours that make no working day fall back to the defaults.
groupweek::WorkingHours StoredHours()
{
    groupweek::WorkingHours hours;
    const auto read = [](const settings::Number& value) { return static_cast<int>(settings::Read(value)); };
    const int from = read(settings::kWeekFrom);
    const int to = read(settings::kWeekTo);
    const int length = read(settings::kWeekLength);
    if (from >= 0 && from < to && to < groupweek::kMinutesPerDay && length >= 0 && length <= groupweek::kMinutesPerDay)
        hours = {from, to, length};
    return hours;
}

// A day's lines each drawn alone, cut with "…" at the cell's width, and
// the last line that fits ending in "…" when more follow: all lines in
// the same font, which a layout of the whole text does not keep.
class LinesDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() == CGroupWeekModel::kNameColumn) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        // The text itself: the option's has its line breaks turned into separators.
        const QStringList lines = index.data(Qt::DisplayRole).toString().split(QLatin1Char('\n'));
        opt.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect area = option.rect.adjusted(3, 1, -3, -1);
        const QFontMetrics metrics(opt.font);
        const QString ellipsis(QChar(0x2026));
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(
            QPalette::Normal, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        int y = area.top();
        for (int i = 0; i < lines.size() && y + metrics.height() <= area.bottom() + 1; ++i) {
            const bool cutBelow =
                i + 1 < lines.size() && y + metrics.lineSpacing() + metrics.height() > area.bottom() + 1;
            QString line = metrics.elidedText(lines[i], Qt::ElideRight, area.width());
            if (cutBelow && !line.endsWith(ellipsis)) {
                line = metrics.elidedText(lines[i], Qt::ElideRight, area.width() - metrics.horizontalAdvance(ellipsis));
                if (line.endsWith(ellipsis))
                    line.chop(1);
                line += ellipsis;
            }
            painter->drawText(QRect(area.left(), y, area.width(), metrics.height()),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
            y += metrics.lineSpacing();
        }
        painter->restore();
    }
};

QTime ToTime(int minutes) { return QTime(minutes / 60, minutes % 60); }
int ToMinutes(const QTime& t) { return t.hour() * 60 + t.minute(); }

QList<int> Numbers(const QString& text)
{
    QList<int> out;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (!ok)
            return {};
        out << n;
    }
    return out;
}

// A plain QWidget reads as a filler; a screen reader must meet this one
// as a window of its own.
QAccessibleInterface* WindowFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QWidget"))
        if (auto* window = dynamic_cast<CGroupWeekWindow*>(object))
            return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

} // namespace

CGroupWeekWindow::CGroupWeekWindow(IWeekHost& host, QWidget* parent) : QWidget(parent, Qt::Window), m_host(host)
{
    static const bool factory = (QAccessible::installFactory(WindowFactory), true);
    (void)factory;
    setObjectName(QStringLiteral("groupWeek"));
    setWindowTitle(QStringLiteral("グループ週間表示"));
    m_model = new CGroupWeekModel(host.WeekGroup(), ProcessHolidayTables(), this);

    auto* prev = new QPushButton(QStringLiteral("<< 前週(&P)"), this);
    auto* thisWeek = new QPushButton(QStringLiteral("今週(&T)"), this);
    auto* next = new QPushButton(QStringLiteral("翌週 >>(&N)"), this);
    prev->setObjectName(QStringLiteral("previousWeek"));
    thisWeek->setObjectName(QStringLiteral("thisWeek"));
    next->setObjectName(QStringLiteral("nextWeek"));
    for (QPushButton* b : {prev, thisWeek, next})
        b->setFocusPolicy(Qt::NoFocus);
    connect(prev, &QPushButton::clicked, this, [this] { StepWeek(-1); });
    connect(thisWeek, &QPushButton::clicked, this, [this] { ThisWeek(); });
    connect(next, &QPushButton::clicked, this, [this] { StepWeek(1); });
    m_range = new QLabel(this);

    const groupweek::WorkingHours hours = StoredHours();
    m_from = new QTimeEdit(ToTime(hours.start), this);
    m_to = new QTimeEdit(ToTime(hours.end), this);
    for (QTimeEdit* e : {m_from, m_to}) {
        e->setDisplayFormat(QStringLiteral("HH:mm"));
        connect(e, &QTimeEdit::timeChanged, this, [this] { HoursEdited(); });
    }
    m_length = new QSpinBox(this);
    m_length->setRange(0, groupweek::kMinutesPerDay);
    m_length->setSingleStep(15);
    m_length->setSuffix(QStringLiteral(" 分以上"));
    m_length->setValue(hours.minLength);
    connect(m_length, &QSpinBox::valueChanged, this, [this] { HoursEdited(); });
    m_model->SetHours(hours);

    auto* bar = new QHBoxLayout;
    bar->addWidget(prev);
    bar->addWidget(thisWeek);
    bar->addWidget(next);
    bar->addWidget(m_range, 1);
    auto* hoursLabel = new QLabel(QStringLiteral("空き時間(&F):"), this);
    hoursLabel->setBuddy(m_from);
    bar->addWidget(hoursLabel);
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("～"), this));
    bar->addWidget(m_to);
    bar->addWidget(m_length);

    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // Rows of one height keep scrolling through many members smooth; a
    // cell shows three entries, its tooltip all of them.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().lineSpacing() * 3 + 6);
    m_table->horizontalHeader()->setDefaultSectionSize(115);
    m_table->setItemDelegate(new LinesDelegate(m_table));
    m_table->installEventFilter(this);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        m_table->setCurrentIndex(index);
        OpenCurrentCell();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_table, 1);

    m_clock.start();
    m_poll.setInterval(static_cast<int>(host.WeekPollInterval().count()));
    connect(&m_poll, &QTimer::timeout, this, [this] { Poll(); });
    m_soon.setSingleShot(true);
    connect(&m_soon, &QTimer::timeout, this, [this] { Poll(); });
    resize(1020, 520);
}

CGroupWeekWindow::~CGroupWeekWindow()
{
    if (isVisible())
        SavePlace();
}

void CGroupWeekWindow::ShowWeekOf(groupweek::Day day)
{
    m_model->SetShowEndTime(m_host.WeekShowsEndTime());
    m_model->SetToday(TodayDay());
    m_model->ShowWeekOf(day);
    if (!m_placeRestored) {
        m_placeRestored = true;
        RestorePlace();
    }
    m_members = m_model->MemberSignature();
    Follow();
    UpdateTitle();
    // The chosen member's cell of the day asked for.
    for (int column = 1; column < m_model->columnCount(); ++column)
        if (m_model->DayOfColumn(column) == day)
            m_table->setCurrentIndex(m_model->index(0, column));
    show();
    raise();
    activateWindow();
    m_table->setFocus();
    if (m_host.WeekFollowsFolder())
        m_poll.start();
}

void CGroupWeekWindow::StepWeek(int weeks)
{
    const groupweek::Day first = m_model->FirstDay();
    const auto days = groupweek::SevenDays(first);
    // Seven days on or back, as the grid steps a month.
    const long long number = OleDayNumber(first.year, first.month, first.day) + 7LL * weeks;
    const auto civil = FromOleDate(static_cast<double>(number));
    if (!civil || days.empty())
        return;
    const QModelIndex current = m_table->currentIndex();
    m_model->ShowWeekOf({civil->year, civil->month, civil->day});
    Follow();
    UpdateTitle();
    if (current.isValid())
        m_table->setCurrentIndex(m_model->index(std::min(current.row(), m_model->rowCount() - 1), current.column()));
}

void CGroupWeekWindow::ThisWeek()
{
    m_model->SetToday(TodayDay());
    m_model->ShowWeekOf(TodayDay());
    Follow();
    UpdateTitle();
}

void CGroupWeekWindow::Reload()
{
    const QModelIndex current = m_table->currentIndex();
    m_model->Reload();
    m_members = m_model->MemberSignature();
    Follow();
    if (current.isValid())
        m_table->setCurrentIndex(m_model->index(std::min(current.row(), m_model->rowCount() - 1), current.column()));
}

void CGroupWeekWindow::UpdateTitle()
{
    const auto days = groupweek::SevenDays(m_model->FirstDay());
    if (days.empty())
        return;
    const groupweek::Day& a = days.front();
    const groupweek::Day& b = days.back();
    m_range->setText(QStringLiteral("%1年%2月%3日 ～ %4年%5月%6日")
                         .arg(a.year)
                         .arg(a.month)
                         .arg(a.day)
                         .arg(b.year)
                         .arg(b.month)
                         .arg(b.day));
    setWindowTitle(QStringLiteral("グループ週間表示 - %1 (%2)")
                       .arg(qttext::FromCp932(m_host.WeekGroup().Name()), m_range->text()));
}

void CGroupWeekWindow::HoursEdited()
{
    groupweek::WorkingHours hours{ToMinutes(m_from->time()), ToMinutes(m_to->time()), m_length->value()};
    m_model->SetHours(hours);
    // Stored only when they make a working day; the fields keep what was typed.
    if (hours.start < hours.end) {
        settings::Write(settings::kWeekFrom, static_cast<uint32_t>(hours.start));
        settings::Write(settings::kWeekTo, static_cast<uint32_t>(hours.end));
        settings::Write(settings::kWeekLength, static_cast<uint32_t>(hours.minLength));
    }
}

void CGroupWeekWindow::OpenCurrentCell()
{
    const QModelIndex index = m_table->currentIndex();
    if (!index.isValid())
        return;
    m_host.ShowMemberDay(m_model->MemberIndex(index.row()), m_model->DayOfColumn(index.column()));
    // The chosen member now leads the week.
    Reload();
}

void CGroupWeekWindow::CopyWeek() { QApplication::clipboard()->setText(m_model->ToTsv()); }

bool CGroupWeekWindow::eventFilter(QObject* object, QEvent* event)
{
    if (object == m_table && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy)) {
            CopyWeek();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            OpenCurrentCell();
            return true;
        }
    }
    return QWidget::eventFilter(object, event);
}

void CGroupWeekWindow::Follow()
{
    std::map<std::string, CFileChangeTracker> files;
    for (const std::string& path : m_model->MonthPaths()) {
        auto it = m_files.find(path);
        if (it != m_files.end()) {
            files.emplace(path, it->second);
        } else {
            CFileChangeTracker tracker;
            tracker.Follow(path, LookAtFile(path).value_or(FileStamp{}));
            files.emplace(path, tracker);
        }
    }
    m_files = std::move(files);
}

void CGroupWeekWindow::Poll()
{
    // A dialog or an open list keeps its state; the poll comes back.
    if (!isVisible() || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    if (!m_host.WeekFollowsFolder()) {
        m_poll.stop();
        return;
    }
    bool read = m_model->MemberSignature() != m_members;
    bool again = false;
    const std::chrono::milliseconds now(m_clock.elapsed());
    for (auto& [path, tracker] : m_files) {
        // A folder that cannot be looked at keeps the week as it is.
        const std::optional<FileStamp> look = LookAtFile(path);
        if (!look)
            continue;
        const FileStamp stamp = *look;
        switch (tracker.Observe(stamp, now)) {
        case CFileChangeTracker::Decision::Nothing: break;
        case CFileChangeTracker::Decision::CheckAgain: again = true; break;
        case CFileChangeTracker::Decision::Read:
            tracker.Read(stamp);
            read = true;
            break;
        }
    }
    if (read)
        Reload();
    if (again)
        m_soon.start(static_cast<int>(CFileChangeTracker::kSettleTime.count()));
}

void CGroupWeekWindow::SavePlace()
{
    const QRect r = geometry();
    settings::Write(settings::kWeekWindow,
                    QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString());
    QStringList widths;
    for (int c = 0; c < m_model->columnCount(); ++c)
        widths << QString::number(m_table->columnWidth(c));
    settings::Write(settings::kWeekColumns, widths.join(QLatin1Char(',')).toStdString());
}

void CGroupWeekWindow::RestorePlace()
{
    const QList<int> place = Numbers(QString::fromStdString(settings::Read(settings::kWeekWindow)));
    if (place.size() == 4 && place[2] > 0 && place[3] > 0)
        setGeometry(place[0], place[1], place[2], place[3]);
    const QList<int> widths = Numbers(QString::fromStdString(settings::Read(settings::kWeekColumns)));
    for (int c = 0; c < widths.size(); ++c)
        if (widths[c] > 0)
            m_table->setColumnWidth(c, widths[c]);
    if (widths.isEmpty())
        m_table->setColumnWidth(CGroupWeekModel::kNameColumn, 120);
}

void CGroupWeekWindow::keyPressEvent(QKeyEvent* event)
{
    // Keys the grid and the fields leave alone come here: a week steps
    // as the month view steps a month, and Escape closes the window as
    // it closes a dialog.
    switch (event->key()) {
    case Qt::Key_Escape: close(); break;
    case Qt::Key_F7: StepWeek(-1); break;
    case Qt::Key_F8: StepWeek(1); break;
    case Qt::Key_F5: Reload(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void CGroupWeekWindow::closeEvent(QCloseEvent* event)
{
    SavePlace();
    QWidget::closeEvent(event);
}

void CGroupWeekWindow::hideEvent(QHideEvent* event)
{
    m_poll.stop();
    m_soon.stop();
    QWidget::hideEvent(event);
}

} // namespace mirovan::shell
