#include "program/shell/EndSignalWatch.h"

#include "support/platform/EndSignals.h"
#include "support/platform/Log.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace mirovan::shell {

EndSignalWatch::EndSignalWatch()
{
    const int pipe = platform::CatchEndSignals();
    if (pipe == -1)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(pipe, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        const std::vector<int> taken = platform::TakeEndSignals();
        if (taken.empty() || m_signal != 0)
            return;
        m_signal = taken.front();
        m_notifier->setEnabled(false);
        WriteLog("end signal ", m_signal);
        // Every loop ends, a dialog's included, so that no question is left
        // open over a program that is going.
        QCoreApplication::exit(ExitStatus());
    });
}

EndSignalWatch::~EndSignalWatch() = default;

} // namespace mirovan::shell
