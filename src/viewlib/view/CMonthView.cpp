#include "viewlib/view/CMonthView.h"

#include "guisupport/QtText.h"
#include "support/FileError.h"
#include "support/OleDate.h"
#include "support/platform/Clock.h"
#include "support/platform/Platform.h"
#include "support/registry/Registry.h"
#include "support/settings/SettingsStore.h"
#include "viewlib/grid/ViewSettings.h"
#include "viewlib/output/CalendarPrinter.h"
#include "viewlib/view/CMemoEdit.h"
#include "viewlib/view/MonthViewAccessible.h"
#include "viewlib/view/ViewFonts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

namespace mirovan::view {
namespace {

QRect ToQRect(const GridRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QColor ToQColor(Colour c) { return QColor(Red(c), Green(c), Blue(c)); }

// Speaks to standard error, and answers a failed save with a rescue file
// once, since nobody can be asked.
class QuietUi : public IUserInterface {
public:
    void ShowMessage(const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "Mirovan: %s\n", text.c_str());
    }
    FailedSaveChoice AskAboutFailedSave(const FailedSave& failure, std::string& otherPath) override
    {
        ShowMessage(failure.text, MessageIcon::Exclamation);
        otherPath.clear();
        if (m_rescueTried)
            return FailedSaveChoice::Drop;
        m_rescueTried = true;
        const std::string folder = settings::DataFolder();
        platform::MakeDirectories(folder);
        otherPath = platform::JoinPath(folder, "memos-rescued-" + std::to_string(std::time(nullptr)) + ".mvp");
        ShowMessage("メモを「" + otherPath + "」に保存します。", MessageIcon::Information);
        return FailedSaveChoice::SaveElsewhere;
    }

private:
    bool m_rescueTried = false;
};

} // namespace

CMonthView::CMonthView(QWidget* parent)
    : QWidget(parent), m_ownUi(this), m_ui(&m_ownUi), m_fonts(DefaultViewFonts()), m_personal(m_relay), m_grid(*this)
{
    m_relay.view = this;
    m_personal.SetMovedHandler([this](const std::string& from, const std::string& to) { PersonalFileMoved(from, to); });
    setObjectName(QStringLiteral("monthView"));
    setAttribute(Qt::WA_OpaquePaintEvent); // nothing erases before painting
    setFocusPolicy(Qt::StrongFocus);       // Tab reaches the calendar too
    setCursor(Qt::ArrowCursor);
    settings::MigrateLegacyKey();
    MonthViewCreated();
}

CMonthView::~CMonthView()
{
    // Messages from here on must not hang off a window being destroyed.
    m_ownUi.SetParent(nullptr);
    EndEdit(true);
    delete m_keptEditor;
    MonthViewDestroyed();
}

void CMonthView::UiRelay::ShowMessage(const std::string& text, MessageIcon icon) { view->Ui().ShowMessage(text, icon); }
FailedSaveChoice CMonthView::UiRelay::AskAboutFailedSave(const FailedSave& failure, std::string& otherPath)
{
    return view->Ui().AskAboutFailedSave(failure, otherPath);
}
bool CMonthView::UiRelay::AskQuestion(Question question, const std::vector<std::string>& arguments)
{
    return view->Ui().AskQuestion(question, arguments);
}
void CMonthView::UiRelay::BeginWait() { view->Ui().BeginWait(); }
void CMonthView::UiRelay::EndWait() { view->Ui().EndWait(); }

int32_t CMonthView::HolidayStatus(int32_t year, int32_t month, int32_t day)
{
    return m_holidayProc ? m_holidayProc(year, month, day) : 0;
}

QString CMonthView::HolidayName(int year, int month, int day) const
{
    if (!m_holidayNameProc)
        return {};
    // The longest law-given name is a few dozen bytes; a longer answer is cut.
    std::array<char, 128> name{};
    const int32_t length = m_holidayNameProc(year, month, day, name.data(), static_cast<int32_t>(name.size()));
    if (length <= 0)
        return {};
    name.back() = '\0';
    return qttext::FromCp932(std::string(name.data()));
}

Colour CMonthView::WindowColour() const
{
    const QColor c = palette().color(QPalette::Base);
    return Rgb(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

void CMonthView::SavePersonalIfModified() { m_personal.SaveIfModified(); }

bool CMonthView::HasPersonalPath() const { return !m_personal.Path().empty(); }

std::string CMonthView::PersonalDayText(uint32_t dayKey)
{
    std::string text;
    m_personal.GetDayText(dayKey, text);
    return text;
}

void CMonthView::Invalidate(const GridRect* rect, bool)
{
    if (rect)
        update(ToQRect(*rect));
    else
        update();
    // Whatever the grid repaints, a screen reader may have to hear.
    MonthViewChanged(*this);
}

void CMonthView::Layout()
{
    // The entry lines start below the day number as drawn, in its own font.
    m_grid.Layout({0, 0, width(), height()}, QFontMetrics(DayFont()).height());
    if (m_editor && m_grid.EditIndex() >= 0 && m_grid.EditIndex() < m_grid.CellCount())
        m_editor->setGeometry(EditorRect(m_grid.Cell(m_grid.EditIndex()).m_cellRect));
}

void CMonthView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout();
    update();
}

void CMonthView::SetMonth(int year, int month)
{
    if (!IsValidCivilDate(year, month, 1))
        return;
    // In either mode: an editor left open would sit over another date.
    if (m_editor)
        EndEdit(true);
    m_grid.Build(year, month);
    Layout();
    if (m_mode == MV_MODE_PERSONAL)
        m_grid.FillFromPersonal();
    update();
}

void CMonthView::SwitchMode(bool toSchedule)
{
    if (!toSchedule) {
        m_mode = MV_MODE_PERSONAL;
        m_grid.ClearTexts();
        ReadPersonalFileReportingDamage();
        m_grid.FillFromPersonal();
    } else {
        m_mode = MV_MODE_SCHEDULE;
        if (m_editor)
            EndEdit(true);
        m_personal.SaveIfModified();
        m_grid.ClearTexts();
    }
    update();
}

void CMonthView::SaveWithoutWindows()
{
    QuietUi quiet;
    IUserInterface* shown = m_ui;
    m_ui = &quiet;
    // The open memo too; the editor is only hidden, nothing is drawn.
    EndEdit(true);
    m_personal.SaveBeforeClosing(false);
    m_ui = shown;
}

void CMonthView::StepMonth(int months)
{
    int y = m_grid.Year(), m = m_grid.Month();
    if (y == 0) {
        const auto d = FromOleDate(m_grid.MonthDate().date);
        y = d ? d->year : 1899;
        m = d ? d->month : 12;
    }
    const int index = y * 12 + (m - 1) + months;
    SetMonth(index / 12, index % 12 + 1);
}

void CMonthView::ShowThisMonth()
{
    const platform::LocalDate today = platform::Today();
    SetMonth(today.year, today.month);
}

void CMonthView::SetHolidays(const HOLIDAYINFO& holidays)
{
    m_holidayProc = holidays.proc;
    m_plainWeekends = holidays.plainWeekends;
}

void CMonthView::SetHolidayNames(HOLIDAYNAMEPROC proc) { m_holidayNameProc = proc; }

void CMonthView::SetEventProc(VIEWEVENTPROC proc, void* context)
{
    m_eventProc = proc;
    m_eventContext = context;
}

void CMonthView::SetDayTexts(const MVSTRINGLIST* lists) { m_grid.SetDayTexts(lists); }

const DATEREC* CMonthView::SelectedDate() const
{
    const CDayCell* cell = m_grid.SelectedCell();
    return cell ? &cell->m_date : nullptr;
}

void CMonthView::SelectDay(int day)
{
    if (day >= 1 && day <= m_grid.DaysInMonth())
        m_grid.Select(m_grid.IndexOfDay(day));
}

void CMonthView::EditSelectedMemo()
{
    if (!m_editor && m_grid.SelectedCell())
        BeginEdit(m_grid.SelectedIndex());
}

void CMonthView::Place(const MVRECT& r)
{
    setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
    update();
}

bool CMonthView::ShowView(bool show)
{
    const bool wasVisible = isVisible();
    setVisible(show);
    return wasVisible;
}

void CMonthView::PrintMonth(const char* memberNameCp932)
{
    EndEdit();
    if (m_grid.CellCount() == 0)
        return;
    // The job is a copy: the dialog's event loop may change the grid.
    PrintCalendar(CalendarJobOf(m_grid, m_mode != MV_MODE_PERSONAL, memberNameCp932, m_fonts), this, *m_ui);
}

void CMonthView::SetPersonalPath(const char* path)
{
    // The open memo belongs to the file in use, not to the next one.
    EndEdit(true);
    if (path && *path)
        m_personal.SetPath(path);
    else
        LoadPersonalPath();
}

void CMonthView::LoadPersonal()
{
    EndEdit(true);
    ReadPersonalFileReportingDamage();
    m_grid.FillFromPersonal();
}

void CMonthView::SavePersonal()
{
    EndEdit();
    m_personal.WriteFile();
}

bool CMonthView::SaveBeforeClosing()
{
    // A memo the file cannot hold yet keeps the window open for the user
    // to rewrite it.
    if (!EndEdit())
        return false;
    return m_personal.SaveBeforeClosing(true);
}

void CMonthView::SaveBeforeExiting()
{
    EndEdit(true);
    m_personal.SaveBeforeClosing(false);
}

void CMonthView::ReadPersonalFileReportingDamage()
{
    // Once a run, before the first read: a save in place killed midway may
    // have left the only complete copy of the file in the spare folder.
    static bool sparesChecked = false;
    if (!std::exchange(sparesChecked, true))
        RecoverSpareCopies(*m_ui, settings::DataFolder());
    try {
        m_personal.ReadFile();
    } catch (const CArchiveException&) {
        // The file ends inside a record. What was read is shown; since the
        // next save would replace the unread rest, the original is kept.
        const std::string path = platform::PathForMessage(m_personal.Path());
        const platform::KeptAside backup = m_personal.KeepDamagedCopy();
        std::string text = "個人用ファイル「" + path + "」は途中で切れています。\r\n読み込めた分だけを表示します。";
        text += !backup.kept ? "\r\n元のファイルを残せませんでした：" + backup.error
                             : "\r\n元のファイルは「" + platform::PathForMessage(backup.path) + "」として残しました。";
        m_ui->ShowMessage(text, MessageIcon::Exclamation);
    }
}

void CMonthView::LoadFontSettings()
{
    view::LoadFontSettings(m_fonts);
    // The program's "paint without memory" option reaches the view here,
    // read from the same settings key as the fonts.
    m_directPainting = settings::Read(settings::kNoMemDC) != 0;
}

std::string CMonthView::DefaultPersonalPath()
{
    // A program folder is not the user's to write on this platform.
    return platform::JoinPath(settings::DataFolder(), "calendar.mvp");
}

void CMonthView::PersonalFileMoved(const std::string& from, const std::string& to)
{
    // The next start must find the memos: the setting follows when it
    // named the old file, or named none while the old one was the default.
    const std::string stored = settings::Read(settings::kPersonal);
    if (stored == from || (stored.empty() && from == DefaultPersonalPath()))
        settings::Write(settings::kPersonal, to);
    if (m_eventProc) {
        const char* paths[2] = {from.c_str(), to.c_str()};
        m_eventProc(MV_EVENT_PERSONALMOVED, paths, m_eventContext);
    }
}

void CMonthView::LoadPersonalPath()
{
    std::string path = settings::Read(settings::kPersonal);
    if (path.empty()) {
        platform::MakeDirectories(settings::DataFolder());
        path = DefaultPersonalPath();
        m_ui->ShowMessage("普段使う個人用ファイル(*.mvp)が設定されていませんので、\n" + platform::PathForMessage(path) +
                              "\nに設定します。この設定は、Mirovan.exeの設定メニューで変更できます。",
                          MessageIcon::Information);
        settings::Write(settings::kPersonal, path);
    }
    m_personal.SetPath(path);
}

void CMonthView::ResetFonts()
{
    m_dayFont.reset();
    m_textFont.reset();
    Layout();
    update();
}

QFont CMonthView::DayFont()
{
    if (!m_dayFont) {
        m_dayFont = PointFont(m_fonts.Font0, m_fonts.FontSize0, logicalDpiY());
        m_textFont = PointFont(m_fonts.Font1, m_fonts.FontSize1, logicalDpiY());
    }
    return *m_dayFont;
}

QFont CMonthView::TextFont()
{
    DayFont();
    return *m_textFont;
}

QRect CMonthView::EditorRect(const GridRect& cell)
{
    GridRect r = cell;
    r.right -= 1;
    r.bottom -= 1;
    const QFont measure = PointFont(m_fonts.Font0, m_fonts.FontSize0, logicalDpiY());
    r.top += QFontMetrics(measure).size(Qt::TextSingleLine, QStringLiteral("25")).height() + 3;
    return ToQRect(r);
}

void CMonthView::BeginEdit(int index)
{
    if (index < 0 || index >= m_grid.CellCount() || m_editor)
        return;
    if (!m_personal.IsEditable()) {
        // A memo typed now would replace one on disk that is not shown.
        m_ui->ShowMessage("個人用ファイルを読み込めなかったため、メモは編集できません。\r\n"
                          "[最新の情報に更新] (F5) で読み込み直してください。",
                          MessageIcon::Exclamation);
        return;
    }
    CDayCell& cell = m_grid.Cell(index);
    const QFont font = PointFont(m_fonts.Font1, m_fonts.FontSize1, logicalDpiY());
    if (!m_keptEditor)
        m_keptEditor = new CMemoEdit(this, font);
    CMemoEdit* editor = m_keptEditor;
    editor->setFont(font);
    editor->setGeometry(EditorRect(cell.m_cellRect));
    editor->SetCellText(qttext::FromCp932(cell.m_text));
    editor->setAccessibleName(MemoEditorName(cell));
    editor->show();
    // The view loses the focus to its own editor here; the editor is
    // registered only afterwards so that this does not close it.
    editor->setFocus(Qt::OtherFocusReason);
    m_editor = editor;
    m_editDayKey = cell.DayKey();
    m_grid.SetEditIndex(index);
}

bool CMonthView::EndEdit(bool forced)
{
    if (!m_editor || m_closingEditor)
        return true;
    m_closingEditor = true;
    const QString typed = m_editor->CellText();
    qttext::Cp932Text converted = qttext::ToCp932(typed);
    std::optional<std::string>& cp932 = converted.bytes;
    if (!cp932) {
        std::string names;
        for (const std::string& ch : converted.unmappable)
            names += (names.empty() ? "" : " ") + ch;
        if (!forced) {
            m_ui->ShowMessage("次の文字は個人用ファイルに保存できません：\r\n" + names +
                                  "\r\nこれらの文字を書き換えてから、もう一度閉じてください。",
                              MessageIcon::Exclamation);
            m_closingEditor = false;
            if (m_editor)
                m_editor->setFocus(Qt::OtherFocusReason);
            return false;
        }
        cp932 = qttext::ToCp932Replacing(typed, QStringLiteral("〓"));
        m_ui->ShowMessage("次の文字は個人用ファイルに保存できないため、「〓」に置き換えて保存しました：\r\n" + names,
                          MessageIcon::Exclamation);
    }
    CommitMemo(*cp932);
    CMemoEdit* editor = m_editor;
    m_editor = nullptr;
    m_grid.SetEditIndex(-1);
    if (editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    editor->hide();
    m_closingEditor = false;
    return true;
}

void CMonthView::CommitMemo(const std::string& cp932)
{
    for (int i = 0; i < m_grid.CellCount(); ++i) {
        CDayCell& cell = m_grid.Cell(i);
        if (cell.DayKey() != m_editDayKey)
            continue;
        cell.m_text = cp932;
        update(ToQRect(cell.m_cellRect));
    }
    m_personal.SetDayText(m_editDayKey, cp932);
    MonthViewChanged(*this);
}

void CMonthView::FireEvent(int32_t event, const QPoint& pos)
{
    if (!m_eventProc)
        return;
    int32_t xy[2] = {pos.x(), pos.y()};
    m_eventProc(event, xy, m_eventContext);
}

void CMonthView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        const int hit = m_grid.HitTest(pos.x(), pos.y());
        if (hit >= 0)
            m_grid.Select(hit);
        FireEvent(MV_EVENT_LBUTTONDOWN, pos);
    } else if (event->button() == Qt::RightButton) {
        FireEvent(MV_EVENT_RBUTTONDOWN, pos);
    }
    QWidget::mousePressEvent(event);
}

void CMonthView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
        FireEvent(MV_EVENT_LBUTTONUP, pos);
    else if (event->button() == Qt::RightButton)
        FireEvent(MV_EVENT_RBUTTONUP, pos);
    QWidget::mouseReleaseEvent(event);
}

void CMonthView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    const int index = m_grid.HitTest(pos.x(), pos.y());
    if (index < 0)
        return;
    const CDayCell& cell = m_grid.Cell(index);
    if (cell.m_otherMonth) {
        if (m_eventProc)
            m_eventProc(MV_EVENT_DBLCLICK, reinterpret_cast<void*>(static_cast<intptr_t>(index)), m_eventContext);
    } else if (m_mode == MV_MODE_SCHEDULE) {
        if (m_eventProc)
            m_eventProc(MV_EVENT_DBLCLICK, reinterpret_cast<void*>(static_cast<intptr_t>(-1)), m_eventContext);
    } else if (EndEdit()) {
        BeginEdit(index);
    }
}

void CMonthView::keyPressEvent(QKeyEvent* event)
{
    GridKey key = GridKey::Other;
    switch (event->key()) {
    case Qt::Key_Left: key = GridKey::Left; break;
    case Qt::Key_Up: key = GridKey::Up; break;
    case Qt::Key_Right: key = GridKey::Right; break;
    case Qt::Key_Down: key = GridKey::Down; break;
    default: break;
    }
    if (key == GridKey::Other) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_grid.OnKey(key);
}

void CMonthView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    EndEdit();
}

void CMonthView::paintEvent(QPaintEvent* event)
{
    const QRect clip = event->rect();
    if (clip.isEmpty())
        return;
    QPainter window(this);
    if (m_directPainting) {
        Render(clip, window);
        return;
    }
    // One screen-sized buffer per view; it grows only if the view is ever
    // larger than the screen it was made for.
    // Made in device pixels, so that it is as sharp as the window on a
    // scaled screen; a move to a screen of another scale makes it anew.
    const QSize screenSize = screen() ? screen()->size() : size();
    const qreal scale = devicePixelRatioF();
    const QSizeF memorySize = m_memory.deviceIndependentSize();
    if (!m_memoryReady || m_memory.devicePixelRatio() != scale || memorySize.width() < width() ||
        memorySize.height() < height()) {
        const QSize logical(std::max(screenSize.width(), width()), std::max(screenSize.height(), height()));
        m_memory = QPixmap((QSizeF(logical) * scale).toSize());
        m_memory.setDevicePixelRatio(scale);
        m_memoryReady = true;
        QPainter memory(&m_memory);
        Render(QRect(QPoint(0, 0), logical), memory);
    }
    {
        QPainter memory(&m_memory);
        Render(clip, memory);
    }
    window.drawPixmap(QRectF(clip), m_memory, QRectF(QPointF(clip.topLeft()) * scale, QSizeF(clip.size()) * scale));
}

void CMonthView::Render(const QRect& update, QPainter& painter)
{
    painter.save();
    painter.setClipRect(update);
    const QRect client = rect();
    painter.fillRect(client, palette().color(QPalette::Button));
    painter.setBackgroundMode(Qt::TransparentMode);
    const GridRect u{update.left(), update.top(), update.right() + 1, update.bottom() + 1};

    painter.setPen(palette().color(QPalette::WindowText));
    for (int i = 0; i < m_grid.CellCount(); ++i) {
        const CDayCell& cell = m_grid.Cell(i);
        if (cell.m_cellRect.Intersects(u))
            PaintCell(painter, cell);
    }
    painter.setPen(QPen(ToQColor(kGridLineColour), 1));
    for (const GridLine& line : m_grid.GridLines()) {
        // The end point is outside the line, as the platform draws it.
        const int x2 = line.x2 > line.x1 ? line.x2 - 1 : line.x2;
        const int y2 = line.y2 > line.y1 ? line.y2 - 1 : line.y2;
        painter.drawLine(line.x1, line.y1, x2, y2);
    }

    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const GridRect clientRect{0, 0, width(), height()};
    for (int i = 0; i < 7; ++i)
        painter.drawText(ToQRect(CMonthGrid::HeaderCell(i, clientRect)), Qt::AlignCenter | Qt::TextSingleLine,
                         qttext::FromUtf8(CMonthGrid::WeekdayName(i)));

    const GridRect frame = m_grid.FrameRect();
    if (!frame.IsEmpty()) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(0, 0, frame.right - 1, 0);
        painter.drawLine(0, 0, 0, frame.bottom - 1);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, frame.bottom - 1, frame.right - 1, frame.bottom - 1);
        painter.drawLine(frame.right - 1, 0, frame.right - 1, frame.bottom - 1);
    }
    painter.restore();
}

void CMonthView::PaintCell(QPainter& painter, const CDayCell& cell)
{
    const QRect cellRect = ToQRect(cell.m_cellRect);
    if (!cell.m_otherMonth)
        painter.fillRect(cellRect, ToQColor(cell.m_colour));
    painter.setFont(DayFont());
    painter.drawText(QRect(cellRect.left() + 3, cellRect.top() + 3, cellRect.width(), cellRect.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, qttext::FromUtf8(cell.m_label));
    if (!cell.m_text.empty()) {
        const QRect textRect = ToQRect(cell.m_textRect);
        painter.save();
        painter.setClipRect(textRect, Qt::IntersectClip);
        painter.setFont(TextFont());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs,
                         qttext::FromCp932Lines(cell.m_text));
        painter.restore();
    }
    if (cell.m_selected) {
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        const QRect focus = ToQRect(cell.m_cellRect.Deflated(3));
        painter.drawRect(focus.adjusted(0, 0, -1, -1));
        painter.restore();
    }
}

} // namespace mirovan::view
