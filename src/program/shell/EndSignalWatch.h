#pragma once
// SIGTERM, SIGHUP and SIGINT end the event loop instead of the process:
// the program then shuts down as after its last window closed, saving the
// memos on the way.
#include <QObject>
#include <memory>

class QSocketNotifier;

namespace mirovan::shell {

class EndSignalWatch : public QObject {
public:
    EndSignalWatch();
    ~EndSignalWatch() override;

    // The signal that ended the loop, 0 while none came. A signal that came
    // before the loop ran ends the next one at once: check this first.
    int Signal() const { return m_signal; }
    // The exit status that says which signal ended the program.
    int ExitStatus() const { return m_signal ? 128 + m_signal : 0; }

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_signal = 0;
};

} // namespace mirovan::shell
