#pragma once
// The C interface's numbered commands, decoded into the view's operations.
#include <cstdint>

namespace mirovan::view {

class CMonthView;

// What ParseCommand returns for the command; -1 for a code outside the
// table.
intptr_t DispatchViewCommand(CMonthView& view, int32_t code, intptr_t p1, intptr_t p2);

} // namespace mirovan::view
