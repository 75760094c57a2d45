// memos: the personal file's memos of one month, as personal mode shows
// them in the month grid. The export only reads: a missing file is
// reported, never created, and nothing is written back.
#include "export/Commands.h"
#include "export/StreamUi.h"

#include "program/calendar/IcsCalendar.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"
#include "viewlib/personal/CPersonalFile.h"

#include <cstdio>
#include <ostream>

namespace mirovan::exporter {

int RunMemos(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 2) {
        err << "mirovan-export: memos には個人用ファイルと月を指定してください: memos FILE YYYY-MM\n";
        return kExitUsage;
    }
    int year = 0;
    int month = 0;
    if (!ParseYearMonth(args[1], year, month)) {
        err << NotAMonth(args[1]);
        return kExitUsage;
    }

    StreamUi ui(err);
    view::CPersonalFile store(ui, view::CPersonalFile::Persistence::ReadOnly);
    store.SetPath(args[0]);
    if (!calendar::ReadPersonalFile(store, ui))
        return kExitUnreadable;

    std::string text;
    for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        store.GetDayText(MakeDayKey(year, month, day), text);
        if (text.empty())
            continue;
        char date[40];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        out << date << '\t' << Field(text) << '\n';
    }
    return kExitOk;
}

} // namespace mirovan::exporter
