#pragma once
// A group opened only for reading: the selection it restores is never
// written back.
#include "export/StreamUi.h"
#include "program/groupdata/CGroup.h"

#include <optional>
#include <ostream>
#include <string>

namespace mirovan::exporter {

struct OpenGroup {
    explicit OpenGroup(std::ostream& err) : ui(err), group(ui, nullptr, CGroup::Persistence::ReadOnly) {}
    StreamUi ui;
    CGroup group;
};

// Reads the group file and selects the member with the given code (UTF-8);
// without one the saved choice stays. Returns the exit status.
int OpenGroupFile(OpenGroup& open, const std::string& path, const std::optional<std::string>& member, std::ostream& err);

} // namespace mirovan::exporter
