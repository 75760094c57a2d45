#pragma once
// Printing the displayed month as a one-page calendar.
#include "viewlib/layout/CalendarDrawing.h"

class QPrinter;

namespace mirovan::view {

class CMonthView;

// Draws the job on the printer's only page. False when the printer
// could not be started or its file could not be written whole (nothing of
// it is left then); failure gets what the user reads.
bool PrintCalendarTo(QPrinter& printer, CalendarJob job, std::string* failure = nullptr);
// What the user reads when the printer could not be started; it names
// the output file when there is one.
std::string PrintFailureMessage(const QPrinter& printer);
// Command 1: the print dialog, then the page.
void PrintCalendar(CMonthView& view, const char* memberNameCp932);

} // namespace mirovan::view
