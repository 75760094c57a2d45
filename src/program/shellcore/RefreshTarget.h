#pragma once
// What the refresher follows and whom it tells: the application shows a
// group and a month file and reads them again when the refresher says
// they have settled. Kept apart so that the refresher knows nothing of
// the frame or the application object.
#include "program/groupdata/CGroup.h"
#include "program/groupdata/CScheduleMonth.h"

#include <optional>
#include <string>

namespace mirovan::shell {

class IRefreshTarget {
public:
    struct Shown {
        // Personal mode shows no group file, and nothing is followed.
        bool schedules = false;
        std::string groupPath;
        std::string monthPath;
    };

    virtual ~IRefreshTarget() = default;

    // Null while there is no window to show anything in.
    virtual std::optional<Shown> ShownFiles() = 0;
    // The group file settled after a change: read it again, keeping what
    // is shown when it is not whole.
    virtual CGroup::Reload GroupSettled() = 0;
    // The same for the month file shown.
    virtual CScheduleMonth::ReadOutcome MonthSettled() = 0;
    // Names a followed file whose last reading failed; empty once the
    // files read again.
    virtual void ShowUnreadable(const std::string& path) = 0;
};

} // namespace mirovan::shell
