#include "support/platform/KeepAside.h"

#include "support/platform/Clock.h"
#include "support/platform/Platform.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace mirovan::platform {
namespace {

std::string Timestamp()
{
    const std::tm t = LocalTimeNow();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                  t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

} // namespace

KeptAside KeepAside(const std::string& path, AsideMode mode, AsideClash clash)
{
    KeptAside result;
    const std::string base = path + ".damaged-" + Timestamp();
    result.path = base;
    if (clash == AsideClash::NumberAnother)
        for (int n = 2; FileExists(result.path) && n < 1000; ++n)
            result.path = base + "-" + std::to_string(n);
    if (mode == AsideMode::Move) {
        result.kept = !FileExists(result.path) && RenameFile(path, result.path);
        return result;
    }
    std::error_code ec;
    std::filesystem::copy_file(path, result.path, std::filesystem::copy_options::skip_existing, ec);
    result.kept = !ec;
    if (ec)
        result.error = ec.message();
    return result;
}

} // namespace mirovan::platform
