#pragma once
// Printing the displayed month as a one-page calendar.
#include "viewlib/layout/CalendarDrawing.h"

class QPrinter;

namespace mirovan::view {

class CMonthView;

// Draws the job on the printer's only page. False when the printer
// could not be started (a file that cannot be written, say).
bool PrintCalendarTo(QPrinter& printer, CalendarJob job);
// What the user reads when the printer could not be started; it names
// the output file when there is one.
std::string PrintFailureMessage(const QPrinter& printer);
// Command 1: the print dialog, then the page.
void PrintCalendar(CMonthView& view, const char* memberNameCp932);

} // namespace mirovan::view
