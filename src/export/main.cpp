// mirovan-export: prints what the program would show, from the same core.
#include "export/Commands.h"
#include "support/HelpText.h"

#include "support/FileError.h"
#include "support/FileMessage.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>

namespace {

// The usage and --help are the manual page's synopsis and options (docs/man).
constexpr const char* kUsageJa =
#include "mirovan-export.usage.ja.inc"
    ;
constexpr const char* kUsageEn =
#include "mirovan-export.usage.en.inc"
    ;
constexpr const char* kHelpJa =
#include "mirovan-export.help.ja.inc"
    ;
constexpr const char* kHelpEn =
#include "mirovan-export.help.en.inc"
    ;

const char* Usage() { return mirovan::ChooseText(kUsageJa, kUsageEn); }

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
    std::cerr << "mirovan-export: " << mirovan::FileFailureMessage(mirovan::FileCauseFromErrno(err), "標準出力")
              << '\n';
    return status == mirovan::exporter::kExitOk ? mirovan::exporter::kExitUnreadable : status;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace mirovan::exporter;
    using Runner = int (*)(const Args&, std::ostream&, std::ostream&);
    const std::map<std::string, Runner> commands = {
        {"members", RunMembers}, {"month", RunMonth}, {"day", RunDay},   {"holidays", RunHolidays}, {"memos", RunMemos},
        {"ics", RunIcs},         {"week", RunWeek},   {"free", RunFree}, {"calendar", RunCalendar},
    };
    if (argc < 2) {
        std::cerr << Usage();
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "--version") {
        std::cout << (name == "--version" ? mirovan::VersionLine("mirovan-export")
                                          : mirovan::ChooseText(kHelpJa, kHelpEn));
        return FinishOutput(kExitOk);
    }
    const auto it = commands.find(name);
    if (it == commands.end()) {
        std::cerr << "mirovan-export: 「" << name << "」というコマンドはありません。\n" << Usage();
        return kExitUsage;
    }
    const int status = it->second(Args(argv + 2, argv + argc), std::cout, std::cerr);
    if (status == kExitUsage)
        std::cerr << Usage();
    return FinishOutput(status);
}
