#pragma once
// A group opened only for reading: the selection it restores is never
// written back.
#include "export/Commands.h"
#include "export/StreamUi.h"
#include "program/groupdata/CGroup.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace mirovan {
class CScheduleMonth;
}

namespace mirovan::exporter {

// What was read is printed as the program would show it; the failures of
// the group file and the month files are told after it, and make status 1.
struct OpenGroup {
    OpenGroup(std::ostream& out, std::ostream& err)
        : ui(err), group(ui, nullptr, CGroup::Persistence::ReadOnly), out_(out)
    {
        ui.Hold();
    }
    ~OpenGroup() { Finish(kExitOk); }
    OpenGroup(const OpenGroup&) = delete;
    OpenGroup& operator=(const OpenGroup&) = delete;

    // A month file that is there and could not be read: told, unless the
    // reader told it already.
    void NoteUnreadable(const std::string& path, int cause, bool told);
    void CheckMonth(const CScheduleMonth& month);
    // The status, 1 when something could not be read; the messages follow
    // the output.
    int Finish(int status);

    StreamUi ui;
    CGroup group;
    bool failed = false;

private:
    std::ostream& out_;
};

// Reads the group file and selects the member with the given code (UTF-8);
// without one the saved choice stays. Returns the exit status: a group file
// cut off after some members goes on with them (failed is set).
int OpenGroupFile(OpenGroup& open, const std::string& path, const std::optional<std::string>& member,
                  std::ostream& err);

// "YYYY-MM-DD".
std::string IsoDate(int year, int month, int day);
// Reads and links the month file of the group's month.
void LoadMonth(CScheduleMonth& month, int year, int monthNumber);
// --end-time / --no-end-time, else the program's setting.
bool ShowEndTime(const std::optional<bool>& option);
// The usage error of a member code the group does not have.
std::string NoSuchMember(const std::string& path, std::string_view code);

} // namespace mirovan::exporter
