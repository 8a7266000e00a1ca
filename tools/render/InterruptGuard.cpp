#include "InterruptGuard.h"

#include <csignal>

namespace
{
    volatile std::sig_atomic_t receivedSignal = 0;
    constexpr int watchedSignals[] { SIGINT, SIGTERM, SIGHUP };
    struct sigaction previous[std::size (watchedSignals)], previousFileSizeAction;

    extern "C" void noteSignal (int signal)
    {
        receivedSignal = signal;
    }
}

InterruptGuard::InterruptGuard()
{
    receivedSignal = 0;

    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = static_cast<int> (SA_RESETHAND);

    for (size_t i = 0; i < std::size (watchedSignals); ++i)
        sigaction (watchedSignals[i], &action, &previous[i]);

    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset (&ignore.sa_mask);
    sigaction (SIGXFSZ, &ignore, &previousFileSizeAction);
}

InterruptGuard::~InterruptGuard()
{
    for (size_t i = 0; i < std::size (watchedSignals); ++i)
        sigaction (watchedSignals[i], &previous[i], nullptr);

    sigaction (SIGXFSZ, &previousFileSizeAction, nullptr);
}

int InterruptGuard::getSignal() noexcept
{
    return (int) receivedSignal;
}

juce::String InterruptGuard::getSignalName (int signal)
{
    switch (signal)
    {
        case SIGINT:  return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP:  return "SIGHUP";
        default:      return "signal " + juce::String (signal);
    }
}
