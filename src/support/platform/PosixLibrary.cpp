#include "support/platform/Platform.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace mirovan::platform {

std::string ExecutablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

SharedLibrary::~SharedLibrary() { Close(); }

bool SharedLibrary::Open(const std::string& path, std::string& error)
{
    Close();
    ::dlerror();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!handle_) {
        const char* why = ::dlerror();
        error = why ? why : "unknown loader error";
        return false;
    }
    return true;
}

void* SharedLibrary::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

void SharedLibrary::Close()
{
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
}

std::string SharedLibraryFileName(const std::string& baseName) { return "lib" + baseName + ".so"; }

} // namespace mirovan::platform
