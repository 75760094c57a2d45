#include "support/platform/EndSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace mirovan::platform {
namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pipe[2] = {-1, -1};

extern "C" void OnEndSignal(int signal)
{
    // Only async-signal-safe calls here; a full pipe loses nothing that
    // matters, one byte is enough to end the program.
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

int CatchEndSignals()
{
    if (g_pipe[0] == -1) {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
            return -1;
        g_pipe[0] = ends[0];
        g_pipe[1] = ends[1];
    }
    // Again on every call: taking a signal put the default back.
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kEndSignals)
        ::sigaction(signal, &action, nullptr);
    return g_pipe[0];
}

std::vector<int> TakeEndSignals()
{
    std::vector<int> taken;
    if (g_pipe[0] == -1)
        return taken;
    char bytes[16];
    for (;;) {
        const ssize_t n = ::read(g_pipe[0], bytes, sizeof bytes);
        if (n > 0) {
            taken.insert(taken.end(), bytes, bytes + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!taken.empty())
        for (int signal : kEndSignals)
            ::signal(signal, SIG_DFL);
    return taken;
}

} // namespace mirovan::platform
