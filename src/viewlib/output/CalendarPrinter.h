#pragma once
// Printing the displayed month as a one-page calendar.
#include "support/UserInterface.h"
#include "viewlib/layout/CalendarDrawing.h"

class QPrinter;
class QWidget;

namespace mirovan::view {

// Draws the job on the printer's only page. False when the printer
// could not be started or its file could not be written whole (nothing of
// it is left then); failure gets what the user reads.
bool PrintCalendarTo(QPrinter& printer, CalendarJob job, std::string* failure = nullptr);
// What the user reads when the printer could not be started; it names
// the output file when there is one.
std::string PrintFailureMessage(const QPrinter& printer);
// The print dialog over the parent, starting from the job's sizes, then
// the page; a page that could not be printed is told through ui.
void PrintCalendar(CalendarJob job, QWidget* parent, IUserInterface& ui);

} // namespace mirovan::view
