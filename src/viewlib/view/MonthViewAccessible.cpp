#include "viewlib/view/MonthViewAccessible.h"

#include "guisupport/QtText.h"
#include "support/OleDate.h"
#include "viewlib/grid/CMonthGrid.h"
#include "viewlib/layout/CalendarPage.h"
#include "viewlib/ui/ViewResources.h"
#include "viewlib/view/CMemoEdit.h"
#include "viewlib/view/CMonthView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <array>
#include <unordered_map>
#include <vector>

namespace mirovan::view {
namespace {

QString Text(const char* key) { return ResourceString(QString::fromLatin1(key)); }

QRect ToQRect(const GridRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QRect GlobalRect(const QWidget* widget, const QRect& local)
{
    return QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

// The cells are made on demand and kept by Qt's accessibility cache under
// their ids; the table deletes them when the month changes and when it
// goes itself.
class MonthViewAccessible;

MonthViewAccessible* TableOf(CMonthView* view);

// The tables someone has asked for; a view nobody reads has no one to tell.
std::unordered_map<const QObject*, MonthViewAccessible*> g_tables;

// A header or a day cell: a part of the view's table, with no children.
class TablePartAccessible : public QAccessibleInterface {
public:
    explicit TablePartAccessible(CMonthView* view) : m_view(view) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    QPointer<CMonthView> m_view;
};

class WeekdayHeaderAccessible : public TablePartAccessible {
public:
    WeekdayHeaderAccessible(CMonthView* view, int column) : TablePartAccessible(view), m_column(column) {}

    bool isValid() const override { return !m_view.isNull(); }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? qttext::FromUtf8(CMonthGrid::WeekdayName(m_column)) : QString();
    }
    QRect rect() const override
    {
        if (!m_view)
            return {};
        return GlobalRect(m_view, ToQRect(CMonthGrid::HeaderCell(m_column, {0, 0, m_view->width(), m_view->height()})));
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override { return {}; }

private:
    int m_column;
};

class DayCellAccessible : public TablePartAccessible,
                          public QAccessibleTableCellInterface,
                          public QAccessibleActionInterface {
public:
    DayCellAccessible(CMonthView* view, int index) : TablePartAccessible(view), m_index(index) {}

    bool isValid() const override { return m_view && m_index < m_view->Grid().CellCount(); }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? DayCellName(*m_view, m_index) : QString();
    }
    QRect rect() const override { return isValid() ? GlobalRect(m_view, ToQRect(Cell().m_cellRect)) : QRect(); }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.readOnly = m_view->Mode() != MV_MODE_PERSONAL;
        s.multiLine = true;
        if (Cell().m_selected) {
            s.selected = true;
            s.focused = m_view->hasFocus();
        }
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return isValid() && Cell().m_selected; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_index % 7; }
    int rowIndex() const override { return m_index / 7; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface: a screen reader's "focus this cell"
    // selects it as a click would.
    QStringList actionNames() const override { return {setFocusAction()}; }
    void doAction(const QString& name) override
    {
        if (name != setFocusAction() || !isValid())
            return;
        m_view->setFocus(Qt::OtherFocusReason);
        m_view->Grid().Select(m_index);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    const CDayCell& Cell() const { return m_view->Grid().Cell(m_index); }

    int m_index;
};

class MonthViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit MonthViewAccessible(CMonthView* view) : QAccessibleWidget(view, QAccessible::Table), m_view(view)
    {
        Remember();
        g_tables[m_view] = this;
    }

    ~MonthViewAccessible() override
    {
        g_tables.erase(m_view);
        DropCells();
        for (QAccessible::Id id : m_headers)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
    }

    CMonthView* View() const { return static_cast<CMonthView*>(widget()); }
    const CMonthGrid& Grid() const { return View()->Grid(); }

    QString text(QAccessible::Text t) const override
    {
        // The month shown is what changes; a name set by the program wins.
        if (t == QAccessible::Name && View()->accessibleName().isEmpty() && Grid().Year() != 0)
            return qttext::FromCp932(CalendarTitle(Grid().Year(), Grid().Month(), std::string()));
        if (t == QAccessible::Description && View()->accessibleDescription().isEmpty())
            return Text("a11yMonthView");
        return QAccessibleWidget::text(t);
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Children: the seven weekday headers, the day cells, then the memo
    // editor while it is open.
    int childCount() const override { return 7 + Grid().CellCount() + (OpenEditor() ? 1 : 0); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0)
            return nullptr;
        if (index < 7)
            return Header(index);
        if (index < 7 + Grid().CellCount())
            return DayCell(index - 7);
        if (index == 7 + Grid().CellCount() && OpenEditor())
            return QAccessible::queryAccessibleInterface(OpenEditor());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child)
            return -1;
        if (OpenEditor() && child->object() == OpenEditor())
            return 7 + Grid().CellCount();
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (int i = 0; i < 7; ++i)
            if (m_headers[static_cast<size_t>(i)] == id)
                return i;
        for (size_t i = 0; i < m_cells.size() && static_cast<int>(i) < Grid().CellCount(); ++i)
            if (m_cells[i] == id)
                return 7 + static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint local = View()->mapFromGlobal(QPoint(x, y));
        if (OpenEditor() && OpenEditor()->geometry().contains(local))
            return QAccessible::queryAccessibleInterface(OpenEditor());
        const int hit = Grid().HitTest(local.x(), local.y());
        if (hit >= 0)
            return DayCell(hit);
        const GridRect client{0, 0, View()->width(), View()->height()};
        for (int i = 0; i < 7; ++i)
            if (CMonthGrid::HeaderCell(i, client).Contains(local.x(), local.y()))
                return Header(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        if (OpenEditor() && OpenEditor()->hasFocus())
            return QAccessible::queryAccessibleInterface(OpenEditor());
        const int selected = SelectedIndex();
        return selected >= 0 ? DayCell(selected) : nullptr;
    }

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override
    {
        if (row < 0 || column < 0 || column >= 7)
            return nullptr;
        const int index = row * 7 + column;
        return index < Grid().CellCount() ? DayCell(index) : nullptr;
    }
    int selectedCellCount() const override { return SelectedIndex() >= 0 ? 1 : 0; }
    QList<QAccessibleInterface*> selectedCells() const override
    {
        const int selected = SelectedIndex();
        return selected >= 0 ? QList<QAccessibleInterface*>{DayCell(selected)} : QList<QAccessibleInterface*>{};
    }
    QString columnDescription(int column) const override
    {
        return column >= 0 && column < 7 ? qttext::FromUtf8(CMonthGrid::WeekdayName(column)) : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return 7; }
    int rowCount() const override { return Grid().CellCount() / 7; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override
    {
        // Another month: the cells of the old one must not be read again.
        if (event->modelChangeType() == QAccessibleTableModelChangeEvent::ModelReset)
            DropCells();
    }

    QAccessibleInterface* Header(int column) const
    {
        QAccessible::Id& id = m_headers[static_cast<size_t>(column)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new WeekdayHeaderAccessible(View(), column));
        return QAccessible::accessibleInterface(id);
    }

    QAccessibleInterface* DayCell(int index) const
    {
        if (m_cells.size() <= static_cast<size_t>(index))
            m_cells.resize(static_cast<size_t>(index) + 1, 0);
        QAccessible::Id& id = m_cells[static_cast<size_t>(index)];
        if (!id)
            id = QAccessible::registerAccessibleInterface(new DayCellAccessible(View(), index));
        return QAccessible::accessibleInterface(id);
    }

    // Sends the events for what changed since the last time.
    void Sync()
    {
        m_syncPending = false;
        const CMonthGrid& grid = Grid();
        if (grid.Year() != m_year || grid.Month() != m_month || grid.CellCount() != m_cellCount) {
            Remember();
            DropCells();
            QAccessibleTableModelChangeEvent reset(View(), QAccessibleTableModelChangeEvent::ModelReset);
            QAccessible::updateAccessibility(&reset);
            // The table's name is the month: a screen reader speaks the change.
            QAccessibleEvent named(View(), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&named);
            m_selected = -1;
        }
        const int selected = SelectedIndex();
        const QString name = selected >= 0 ? DayCellName(*View(), selected) : QString();
        if (selected != m_selected) {
            m_selected = selected;
            m_selectedName = name;
            if (selected >= 0) {
                QAccessibleEvent selection(DayCell(selected), QAccessible::Selection);
                QAccessible::updateAccessibility(&selection);
                if (View()->hasFocus()) {
                    QAccessibleEvent focus(DayCell(selected), QAccessible::Focus);
                    QAccessible::updateAccessibility(&focus);
                }
            }
        } else if (selected >= 0 && name != m_selectedName) {
            m_selectedName = name;
            QAccessibleEvent named(DayCell(selected), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&named);
        }
    }

    bool m_syncPending = false;

private:
    int SelectedIndex() const
    {
        const CDayCell* cell = Grid().SelectedCell();
        // A month change keeps the index but shows no selection.
        return cell && cell->m_selected ? cell->m_index : -1;
    }

    CMemoEdit* OpenEditor() const
    {
        CMemoEdit* editor = View()->Editor();
        return editor && editor->isVisible() ? editor : nullptr;
    }

    void Remember()
    {
        m_year = Grid().Year();
        m_month = Grid().Month();
        m_cellCount = Grid().CellCount();
    }

    void DropCells()
    {
        for (QAccessible::Id id : m_cells)
            if (id)
                QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    const QObject* m_view; // the key in the tables, valid or not
    mutable std::vector<QAccessible::Id> m_cells;
    mutable std::array<QAccessible::Id, 7> m_headers{};
    int m_year = 0;
    int m_month = 0;
    int m_cellCount = 0;
    int m_selected = -1;
    QString m_selectedName;
};

QList<QAccessibleInterface*> DayCellAccessible::columnHeaderCells() const
{
    if (!isValid())
        return {};
    return {TableOf(m_view)->Header(columnIndex())};
}

MonthViewAccessible* TableOf(CMonthView* view)
{
    return static_cast<MonthViewAccessible*>(QAccessible::queryAccessibleInterface(view));
}

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    // The view has no meta-object of its own: Qt asks as for any QWidget.
    if (className != QLatin1String("QWidget"))
        return nullptr;
    if (auto* view = dynamic_cast<CMonthView*>(object))
        return new MonthViewAccessible(view);
    return nullptr;
}

int g_views = 0;

} // namespace

void MonthViewCreated()
{
    if (g_views++ == 0)
        QAccessible::installFactory(Factory);
}

void MonthViewDestroyed()
{
    if (--g_views == 0)
        QAccessible::removeFactory(Factory);
}

QString DayCellName(const CMonthView& view, int index)
{
    const CMonthGrid& grid = view.Grid();
    if (index < 0 || index >= grid.CellCount())
        return {};
    const CDayCell& cell = grid.Cell(index);
    return DayCellName(grid, index,
                       cell.m_holiday ? view.HolidayName(cell.m_year, cell.m_month, cell.m_day) : QString());
}

QString DayCellName(const CMonthGrid& grid, int index, const QString& holidayName)
{
    if (index < 0 || index >= grid.CellCount())
        return {};
    const CDayCell& cell = grid.Cell(index);
    const QString weekday = qttext::FromUtf8(CMonthGrid::WeekdayName(Weekday(cell.m_year, cell.m_month, cell.m_day)));
    QStringList parts{Text("a11yDay").arg(cell.m_month).arg(cell.m_day).arg(weekday)};
    if (cell.m_holiday)
        parts << (holidayName.isEmpty() ? Text("a11yHoliday") : holidayName);
    if (cell.m_otherMonth)
        parts << Text(index < grid.LeadingCells() ? "a11yPreviousMonth" : "a11yNextMonth");
    QString lines = qttext::FromCp932Lines(cell.m_text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar('\r'), QChar('\n'));
    lines.replace(QChar('\t'), QChar(' '));
    for (const QString& line : lines.split(QChar('\n')))
        if (!line.trimmed().isEmpty())
            parts << line;
    return parts.join(Text("a11ySeparator"));
}

QString MemoEditorName(const CDayCell& cell) { return Text("a11yMemoEditor").arg(cell.m_month).arg(cell.m_day); }

void MonthViewChanged(CMonthView& view)
{
    const auto found = g_tables.find(&view);
    if (found == g_tables.end() || found->second->m_syncPending)
        return;
    MonthViewAccessible* table = found->second;
    // After the event that caused it has run to its end: the grid is laid
    // out and the selection drawn by then.
    table->m_syncPending = true;
    QPointer<CMonthView> guard(&view);
    QMetaObject::invokeMethod(
        &view,
        [guard] {
            if (!guard)
                return;
            if (const auto again = g_tables.find(guard.data()); again != g_tables.end())
                again->second->Sync();
        },
        Qt::QueuedConnection);
}

} // namespace mirovan::view
