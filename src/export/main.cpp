// mirovan-export: prints what the program would show, from the same core.
#include "export/Commands.h"

#include "support/FileError.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>

namespace {

constexpr const char* kUsage =
    "usage: mirovan-export members GROUP\n"
    "       mirovan-export month GROUP YYYY-MM [--member CODE] [--end-time|--no-end-time]\n"
    "       mirovan-export day GROUP YYYY-MM-DD [--member CODE]\n"
    "       mirovan-export week GROUP YYYY-MM-DD [--end-time|--no-end-time]\n"
    "       mirovan-export free GROUP YYYY-MM-DD [--members CODE,CODE...] [--from HH:MM] [--to HH:MM]\n"
    "                      [--length MINUTES]\n"
    "       mirovan-export holidays YEAR [--holiday-file FILE]\n"
    "       mirovan-export memos FILE YYYY-MM\n"
    "       mirovan-export ics GROUP [--member CODE] [--from YYYY-MM] [--months N] [-o FILE]\n"
    "       mirovan-export ics --personal FILE [--from YYYY-MM] [--months N] [-o FILE]\n"
    "       mirovan-export calendar GROUP YYYY-MM [--member CODE] [--personal FILE] --pdf OUT.pdf\n"
    "                      [--paper CODE|NAME] [--landscape] [--height PERCENT] [--empty]\n"
    "                      [--heading PT] [--date PT] [--schedule PT]\n";

// A failed write to standard output (a full disk, /dev/full) sticks to
// the stream, so one look at the end covers every line; the close counts
// too, as on a network file system it may be the first to fail.
int FinishOutput(int status)
{
    std::cout.flush();
    bool failed = !std::cout || std::ferror(stdout);
    int err = failed ? errno : 0;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        err = errno;
    }
    if (!failed)
        return status;
    std::cerr << "mirovan-export: " << mirovan::FileFailureMessage(mirovan::FileCauseFromErrno(err), "標準出力") << '\n';
    return status == mirovan::exporter::kExitOk ? mirovan::exporter::kExitUnreadable : status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace mirovan::exporter;
    using Runner = int (*)(const Args&, std::ostream&, std::ostream&);
    const std::map<std::string, Runner> commands = {
        {"members", RunMembers}, {"month", RunMonth}, {"day", RunDay}, {"holidays", RunHolidays}, {"memos", RunMemos}, {"ics", RunIcs},
        {"week", RunWeek}, {"free", RunFree},
        {"calendar", RunCalendar},
    };
    if (argc < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h") {
        std::cout << kUsage;
        return FinishOutput(kExitOk);
    }
    const auto it = commands.find(name);
    if (it == commands.end()) {
        std::cerr << "mirovan-export: 「" << name << "」というコマンドはありません。\n" << kUsage;
        return kExitUsage;
    }
    const int status = it->second(Args(argv + 2, argv + argc), std::cout, std::cerr);
    if (status == kExitUsage)
        std::cerr << kUsage;
    return FinishOutput(status);
}
