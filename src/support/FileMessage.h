#pragma once
// What the user is told of a file failure. Above the platform layer, which
// throws the failures and knows how a path is shown; the failures
// themselves (FileError.h) sit below it.
#include <string>

namespace mirovan {

// The standard report of a file failure (a FileCause), naming the path.
std::string FileFailureMessage(int cause, const std::string& path);

} // namespace mirovan
