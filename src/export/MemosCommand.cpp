// memos: the personal file's memos of one month, as personal mode shows
// them in the month grid. The export only reads: a missing file is
// reported, never created, and nothing is written back.
#include "export/Commands.h"
#include "export/StreamUi.h"

#include "personalformat/CPersonalMemos.h"
#include "program/calendar/IcsCalendar.h"
#include "support/DayKey.h"
#include "support/OleDate.h"
#include "support/platform/Platform.h"

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
    personal::CPersonalMemos memos;
    if (!calendar::ReadPersonalFile(memos, args[0], ui))
        return kExitUnreadable;

    for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        const std::string text = memos.DayText(MakeDayKey(year, month, day));
        if (text.empty())
            continue;
        char date[40];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        out << date << '\t' << Field(text) << '\n';
    }
    return kExitOk;
}

} // namespace mirovan::exporter
