#include "program/shell/CSelectBar.h"

#include "guisupport/QtText.h"
#include "program/shell/CommandIds.h"
#include "program/shell/ShellResources.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace mirovan::shell {
namespace {

const QString kNoMember = QStringLiteral("(選択なし)");
const QString kHiddenMember = QStringLiteral("??????[非表示属性のメンバ)");

// The tip of an icon button names the key that does the same, from the
// accelerator table.
QString TipWithKey(const QString& tip, int command, const std::vector<Accelerator>& keys)
{
    for (const Accelerator& a : keys)
        if (a.command == command)
            return QStringLiteral("%1 (%2)").arg(tip, a.key.toString(QKeySequence::NativeText));
    return tip;
}

} // namespace

CSelectBar::CSelectBar(IBarHost& host, QWidget* parent) : QWidget(parent), m_host(host)
{
    const DialogTemplate t = LoadDialogTemplate(105);
    m_controls = BuildControls(this, t);
    resize(t.ToPixels(t.size));
    m_year = qobject_cast<QLineEdit*>(Control(IDC_YEAR));
    m_spin = static_cast<UpDown*>(Control(IDC_YEAR_SPIN));
    m_month = qobject_cast<QComboBox*>(Control(IDC_MONTH));
    m_member = qobject_cast<QComboBox*>(Control(IDC_MEMBER));
    m_name = qobject_cast<QLabel*>(Control(IDC_NAME));
    m_personalButton = qobject_cast<QPushButton*>(Control(IDC_PERSONAL));

    const std::vector<Accelerator> keys = LoadAccelerators(103);
    for (auto [id, command] :
         {std::pair{IDC_OPEN, ID_OPEN_GROUP}, std::pair{IDC_PREV, ID_PREV_MONTH}, std::pair{IDC_NEXT, ID_NEXT_MONTH},
          std::pair{IDC_REFRESH, ID_REFRESH}, std::pair{IDC_PRINT, ID_PRINT}, std::pair{IDC_THIS, ID_THIS_MONTH}}) {
        auto* button = qobject_cast<QPushButton*>(Control(id));
        button->setIcon(ResourceIcon(t.Control(id)->icon));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(TipWithKey(t.Control(id)->tip, command, keys));
    }
    // The year and month fields are labelled only by the unit after them.
    // As buddies the units also stand in the fields' labelled-by
    // relation; they carry no letter, having no room for one, and Tab
    // reaches the fields.
    m_year->setAccessibleName(t.Control(-1)->text);
    m_month->setAccessibleName(t.Control(-2)->text);
    if (auto* unit = qobject_cast<QLabel*>(Control(-1)))
        unit->setBuddy(m_year);
    if (auto* unit = qobject_cast<QLabel*>(Control(-2)))
        unit->setBuddy(m_month);
    m_name->setAccessibleDescription(t.Control(IDC_NAME_LABEL)->text);
    m_member->addItem(kNoMember);

    auto post = [this](int command) { m_host.BarCommand(command); };
    connect(qobject_cast<QPushButton*>(Control(IDC_PREV)), &QPushButton::clicked, this,
            [post] { post(ID_PREV_MONTH); });
    connect(qobject_cast<QPushButton*>(Control(IDC_THIS)), &QPushButton::clicked, this,
            [post] { post(ID_THIS_MONTH); });
    connect(qobject_cast<QPushButton*>(Control(IDC_NEXT)), &QPushButton::clicked, this,
            [post] { post(ID_NEXT_MONTH); });
    connect(qobject_cast<QPushButton*>(Control(IDC_PRINT)), &QPushButton::clicked, this, [post] { post(ID_PRINT); });
    connect(qobject_cast<QPushButton*>(Control(IDC_REFRESH)), &QPushButton::clicked, this,
            [post] { post(ID_REFRESH); });
    connect(qobject_cast<QPushButton*>(Control(IDC_OPEN)), &QPushButton::clicked, this,
            [this, post] { post(m_host.BarScheduleMode() ? ID_OPEN_GROUP : ID_OPEN_PERSONAL); });
    connect(m_year, &QLineEdit::textChanged, this, [this] { OnDateChanged(false); });
    connect(m_month, &QComboBox::currentIndexChanged, this, [this] { OnDateChanged(false); });
    connect(m_member, &QComboBox::activated, this, [this] { OnMemberChanged(); });
    connect(m_personalButton, &QPushButton::clicked, this, [this, post] {
        ReadControls();
        post(m_personal ? ID_SHOW_PERSONAL : ID_SHOW_GROUP);
    });

    // Enter and Escape neither close the bar nor press a button; the
    // frame's accelerators have already seen them.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    m_memberEntry = 0;
    m_personal = false;
    m_busy = false;
    WriteControls();
}

bool CSelectBar::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // A focused button takes Enter as it takes Space.
        auto* button = qobject_cast<QPushButton*>(object);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->animateClick();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
            return true;
        if (object == m_year && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            m_spin->Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(object, event);
}

void CSelectBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_host.BarHeightChanged(height());
}

void CSelectBar::ReadControls()
{
    m_yearText = m_year->text();
    m_monthEntry = m_month->currentIndex();
    m_groupName = m_name->text();
    m_memberEntry = m_member->currentIndex();
    m_personal = m_personalButton->isChecked();
}

void CSelectBar::WriteControls()
{
    const QSignalBlocker b1(m_year);
    const QSignalBlocker b2(m_month);
    const QSignalBlocker b3(m_member);
    const QSignalBlocker b4(m_personalButton);
    if (m_year->text() != m_yearText)
        m_year->setText(m_yearText);
    m_month->setCurrentIndex(m_monthEntry);
    m_name->setText(m_groupName);
    m_member->setCurrentIndex(m_memberEntry);
    m_personalButton->setChecked(m_personal);
}

void CSelectBar::SendMonth(int year, int monthEntry)
{
    const auto date = ToOleDate(year, monthEntry + 1, 1);
    if (!date)
        return;
    m_host.BarShowMonth(DateValue{*date, 0});
}

void CSelectBar::OnDateChanged(bool force)
{
    if (m_busy)
        return;
    const QString keptYear = m_yearText;
    const int keptMonth = m_monthEntry;
    ReadControls();
    if (m_yearText == keptYear && m_monthEntry == keptMonth && !force)
        return;
    if (m_yearText.size() < 4)
        return;
    bool ok = false;
    const int year = m_yearText.toInt(&ok);
    if (!ok || year < 1600 || year > 2400) {
        m_yearText = keptYear;
        const QSignalBlocker block(m_year);
        m_year->setText(keptYear);
        return;
    }
    m_spin->SetPosition(year);
    // No month chosen yet: there is nothing to show.
    if (m_monthEntry < 0)
        return;
    SendMonth(year, m_monthEntry);
    m_host.BarRefresh();
    m_host.BarMonthShown();
}

void CSelectBar::SetDate(const DateValue& date)
{
    ReadControls();
    if (const auto civil = date.Civil()) {
        m_yearText = QString::number(civil->year);
        m_monthEntry = civil->month - 1;
        m_spin->SetPosition(civil->year);
    }
    WriteControls();
    m_host.BarMonthShown();
    m_host.BarRefresh();
}

void CSelectBar::OnMemberChanged()
{
    ReadControls();
    const int entry = m_memberEntry;
    m_host.BarGroup().SetSelection(entry == 0 ? -1 : entry - 1);
    ShowMemberMonth();
}

void CSelectBar::ShowMemberMonth()
{
    ReadControls();
    bool ok = false;
    const int year = m_yearText.toInt(&ok);
    // A year box that cannot name a month leaves the view where it is.
    if (ok && m_yearText.size() >= 4 && year >= 1600 && year <= 2400 && m_monthEntry >= 0)
        SendMonth(year, m_monthEntry);
    m_host.BarRefresh();
}

void CSelectBar::FillMemberList(const CGroup& group)
{
    const QSignalBlocker block(m_member);
    m_member->clear();
    m_member->addItem(kNoMember);
    for (int i = 0; i < group.MemberCount(); ++i) {
        const CMember member = group.MemberAt(i);
        m_member->addItem(member.IsHidden() ? kHiddenMember : qttext::FromCp932(member.Name()));
    }
}

int CSelectBar::SelectMember(int entry)
{
    // Even an empty group runs the choice: the grid must drop the entries
    // of the member shown before.
    if (entry == -1 && m_member->count() > 0)
        entry = 0;
    {
        const QSignalBlocker block(m_member);
        m_member->setCurrentIndex(entry);
    }
    const bool selected = entry >= 0 && m_member->currentIndex() == entry;
    OnMemberChanged();
    return selected ? 1 : 0;
}

void CSelectBar::SelectEntry(int entry)
{
    ShowMemberEntry(entry);
    ShowMemberMonth();
}

void CSelectBar::ShowMemberEntry(int entry)
{
    const QSignalBlocker block(m_member);
    m_member->setCurrentIndex(entry);
    m_memberEntry = m_member->currentIndex();
}

void CSelectBar::SetGroupName(const QString& text) { m_name->setText(text); }

void CSelectBar::ShowGroupName(const std::string& name) { SetGroupName(qttext::FromCp932(name)); }

void CSelectBar::ShowMode(bool schedule)
{
    Control(IDC_MEMBER_LABEL)->setEnabled(schedule);
    m_member->setEnabled(schedule);
    static_cast<QLabel*>(Control(IDC_NAME_LABEL))
        ->setText(schedule ? QStringLiteral("グループ：") : QStringLiteral("ファイル："));
    if (schedule) {
        m_groupName = qttext::FromCp932(m_host.BarGroup().Name());
    } else {
        const std::string& path = m_host.BarPersonalPath();
        const size_t slash = path.rfind('/');
        m_groupName = qttext::FromNativePath(slash == std::string::npos ? path : path.substr(slash + 1));
    }
    WriteControls();
}

void CSelectBar::SetPersonalButton(bool pressed)
{
    m_personal = pressed;
    const QSignalBlocker block(m_personalButton);
    m_personalButton->setChecked(pressed);
}

} // namespace mirovan::shell
