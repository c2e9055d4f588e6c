#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <functional>

// One GET request for a short text over HTTP or HTTPS that can be called off
// at any moment: it asks shouldStop every few milliseconds while it waits
// for the server, so the thread that runs it can always end by itself.
//
// Connection time-out, redirects and the minimum speed are those the
// framework's URL streams use for a 1 s time-out. Only a complete body of at
// most maxBodyBytes with a 2xx status counts as an answer: an error page is
// not news, and a runaway server cannot fill the memory.
class NewsRequest
{
public:
    struct Result
    {
        bool succeeded = false;
        int status = 0;        // the HTTP status, 0 if no answer came
        juce::String body;     // empty unless succeeded
    };

    static constexpr int connectTimeoutMs = 1000;
    static constexpr int maxRedirects = 5;
    static constexpr std::size_t maxBodyBytes = 1 << 20;
    // Below this many bytes a second for a whole second, the server counts
    // as gone.
    static constexpr long lowSpeedBytesPerSecond = 100;
    static constexpr long lowSpeedSeconds = 1;
    // How often shouldStop is asked while nothing happens.
    static constexpr int pollMs = 20;

    // The query of the address is sent percent-encoded, as the framework's
    // URL class writes it.
    static Result get (const juce::URL& url, const std::function<bool()>& shouldStop);
};
