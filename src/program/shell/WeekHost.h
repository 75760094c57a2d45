#pragma once
// What the group week window asks of the main window: the group shown,
// the choices of the user it follows, and the way back to a member's day.
// Kept apart so that the window knows nothing of the frame or the
// application object.
#include "program/groupdata/GroupWeek.h"

#include <chrono>
#include <optional>

namespace mirovan {
class CGroup;
}

namespace mirovan::shell {

class IWeekHost {
public:
    virtual ~IWeekHost() = default;

    virtual CGroup& WeekGroup() = 0;
    virtual bool WeekShowsEndTime() = 0;
    // Whether the window follows the shared folder by itself.
    virtual bool WeekFollowsFolder() = 0;
    // How often a followed file is looked at.
    virtual std::chrono::milliseconds WeekPollInterval() = 0;
    // The main window shows the member (an index into the group) and the
    // day, and comes to the front.
    virtual void ShowMemberDay(int member, std::optional<groupweek::Day> day) = 0;
};

} // namespace mirovan::shell
