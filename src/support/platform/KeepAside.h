#pragma once
// Keeping a damaged file aside as "<file>.damaged-YYYYMMDD-HHMMSS", the
// time taken from the clock, so that nothing overwrites what could not
// be read.
#include <string>

namespace mirovan::platform {

enum class AsideMode {
    Move, // the file leaves its place
    Copy, // the file stays and a copy is kept
};

// What happens when a file kept aside in the same second has the name.
enum class AsideClash {
    NumberAnother, // "-2", "-3", ... up to "-999"; gives up after that
    KeepExisting,  // nothing is written: the one there stands for this one
};

struct KeptAside {
    bool kept = false;
    std::string path;  // the name tried last
    std::string error; // why a copy failed; empty otherwise
};

KeptAside KeepAside(const std::string& path, AsideMode mode, AsideClash clash);

} // namespace mirovan::platform
