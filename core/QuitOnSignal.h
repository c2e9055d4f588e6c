#pragma once

#include <functional>

// Turns SIGTERM, SIGINT and SIGHUP into a call of onQuitRequest on the
// message thread, so that a stop from the system or the terminal quits the
// way closing the window does (which saves the sound), instead of the
// process ending on the spot. The signal handler only writes a byte into a
// pipe that the message loop watches. One instance at a time; the previous
// handlers come back when it is destroyed.
class QuitOnSignal
{
public:
    explicit QuitOnSignal (std::function<void()> onQuitRequest);
    ~QuitOnSignal();

    QuitOnSignal (const QuitOnSignal&) = delete;
    QuitOnSignal& operator= (const QuitOnSignal&) = delete;

private:
    std::function<void()> onQuitRequest;
    int readEnd = -1;
    int writeEnd = -1;
};
