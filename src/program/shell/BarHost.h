#pragma once
// What the control bar asks of the main window: the group and the mode
// it shows, the month and member it sets, and the commands of its
// buttons. Kept apart so that the bar knows nothing of the frame or the
// application object.
#include "program/groupdata/CScheduleEntry.h"

#include <string>

namespace mirovan {
class CGroup;
}

namespace mirovan::shell {

class IBarHost {
public:
    virtual ~IBarHost() = default;

    // Runs a command after the current handler has returned.
    virtual void BarCommand(int id) = 0;
    virtual void BarHeightChanged(int height) = 0;
    virtual bool BarScheduleMode() = 0;
    virtual CGroup& BarGroup() = 0;
    // The personal file the view shows or will show.
    virtual const std::string& BarPersonalPath() = 0;
    // The view goes to the month; its texts follow with BarRefresh.
    virtual void BarShowMonth(const DateValue& month) = 0;
    // The displayed month is read again for the chosen member.
    virtual void BarRefresh() = 0;
    // The title follows the displayed month.
    virtual void BarMonthShown() = 0;
};

} // namespace mirovan::shell
