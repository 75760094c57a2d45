#pragma once
// The month view as assistive technology sees it: a table of seven
// weekday columns whose cells read out the date, the holiday and the
// texts the view paints. Built only while a screen reader (or a test)
// has accessibility switched on.
#include <QString>

namespace mirovan::view {

class CDayCell;
class CMonthGrid;
class CMonthView;

// The factory lives while any view does: the library that holds its code
// may be unloaded once the last view is gone.
void MonthViewCreated();
void MonthViewDestroyed();

// What a cell says: "12月2日(水)", then the holiday's name (or "休日" when
// it has none) for a holiday, a word for a day of another month, then the
// lines of its text, joined by "、".
QString DayCellName(const CMonthGrid& grid, int index, const QString& holidayName = QString());
// The same for a cell of the view, with the name the program gives its holiday.
QString DayCellName(const CMonthView& view, int index);
// The memo editor's name for the day it is opened on.
QString MemoEditorName(const CDayCell& cell);

// Tells assistive technology, shortly after, what changed in the view:
// another month, another selected cell, or new texts in the selected one.
void MonthViewChanged(CMonthView& view);

} // namespace mirovan::view
