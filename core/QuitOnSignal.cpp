#include "core/QuitOnSignal.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
    constexpr int quitSignals[] = { SIGTERM, SIGINT, SIGHUP };

    std::atomic<int> signalPipe { -1 };
    struct sigaction previousActions[std::size (quitSignals)];

    extern "C" void noteQuitSignal (int)
    {
        const int savedErrno = errno;
        const char byte = 1;
        // A full pipe already holds a request, so a failed write loses nothing.
        [[maybe_unused]] const auto written = ::write (signalPipe.load(), &byte, 1);
        errno = savedErrno;
    }
}

QuitOnSignal::QuitOnSignal (std::function<void()> callback)
    : onQuitRequest (std::move (callback))
{
    int ends[2];
    if (::pipe2 (ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    readEnd = ends[0];
    writeEnd = ends[1];
    signalPipe = writeEnd;

    juce::LinuxEventLoop::registerFdCallback (readEnd, [this] (int fd)
    {
        char bytes[16];
        while (::read (fd, bytes, sizeof (bytes)) > 0) {}

        if (onQuitRequest)
            onQuitRequest();
    });

    struct sigaction action {};
    action.sa_handler = noteQuitSignal;
    sigemptyset (&action.sa_mask);
    action.sa_flags = SA_RESTART;

    for (size_t i = 0; i < std::size (quitSignals); ++i)
        ::sigaction (quitSignals[i], &action, &previousActions[i]);
}

QuitOnSignal::~QuitOnSignal()
{
    if (readEnd < 0)
        return;

    for (size_t i = 0; i < std::size (quitSignals); ++i)
        ::sigaction (quitSignals[i], &previousActions[i], nullptr);

    juce::LinuxEventLoop::unregisterFdCallback (readEnd);
    signalPipe = -1;
    ::close (readEnd);
    ::close (writeEnd);
}
