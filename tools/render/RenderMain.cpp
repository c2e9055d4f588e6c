// vorsan-render: renders a standard MIDI file through the instrument.
#include "MidiRenderer.h"

#include <juce_events/juce_events.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace
{
    const char* const usage =
        "usage: vorsan-render [--rate HZ] [--block N] [--state FILE] [--tail SECONDS] [--max-length SECONDS]\n"
        "                     [--float] IN.mid OUT.wav\n"
        "\n"
        "Plays IN.mid through the instrument and writes the sound to OUT.wav.\n"
        "  --rate HZ        sample rate, 8000 to 384000 (default 44100)\n"
        "  --block N        block size in samples, 1 to 65536 (default 512)\n"
        "  --state FILE     a sound saved with the application's \"Save current state...\"\n"
        "  --tail SECONDS   time rendered after the last MIDI event, 0 to 600 (default 2)\n"
        "  --max-length SECONDS\n"
        "                   longest render accepted, tail included, 1 to 86400 (default 3600)\n"
        "  --float          32-bit float samples instead of 16-bit\n"
        "  --help           this text\n";

    int fail (const juce::String& message)
    {
        std::fprintf (stderr, "vorsan-render: %s\n", message.toRawUTF8());
        return 1;
    }

    bool parseInteger (const juce::String& text, juce::int64 low, juce::int64 high, juce::int64& result)
    {
        if (text.isEmpty() || text.length() > 12 || ! text.containsOnly ("0123456789"))
            return false;
        result = text.getLargeIntValue();
        return result >= low && result <= high;
    }

    bool parseSeconds (const juce::String& text, double low, double high, double& result)
    {
        if (text.isEmpty() || ! text.containsOnly ("0123456789.") || text.indexOfChar ('.') != text.lastIndexOfChar ('.'))
            return false;
        result = text.getDoubleValue();
        return result >= low && result <= high;
    }

    // Set by SIGINT, SIGTERM or SIGHUP; the render stops after its block,
    // deletes its temporary file and the program ends by the same signal.
    volatile std::sig_atomic_t stopSignal = 0;

    void requestStop (int signal) { stopSignal = signal; }

    void stopOnSignals()
    {
        struct sigaction action {};
        action.sa_handler = requestStop;
        action.sa_flags = SA_RESTART;   // a write in progress finishes; the flag is seen after the block
        sigemptyset (&action.sa_mask);
        for (int signal : { SIGINT, SIGTERM, SIGHUP })
            sigaction (signal, &action, nullptr);
    }

    [[noreturn]] void endBySignal (int signal)
    {
        std::fprintf (stderr, "vorsan-render: stopped by %s; nothing was written\n",
                      signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP");
        std::signal (signal, SIG_DFL);
        std::raise (signal);
        std::_Exit (128 + signal);
    }

    // A bar on the terminal, shown once a render has taken more than a second.
    class ProgressBar
    {
    public:
        ProgressBar() : enabled (isatty (STDERR_FILENO) != 0), started (std::chrono::steady_clock::now()) {}

        void update (double fraction)
        {
            if (! enabled)
                return;
            const int percent = (int) (fraction * 100.0);
            if (percent == lastPercent || std::chrono::steady_clock::now() - started < std::chrono::seconds (1))
                return;
            lastPercent = percent;
            const int filled = percent * width / 100;
            std::fprintf (stderr, "\r[%.*s%.*s] %3d%%", filled, bar, width - filled, space, percent);
            std::fflush (stderr);
            shown = true;
        }

        void finish()
        {
            if (shown)
                std::fprintf (stderr, "\n");
        }

    private:
        static constexpr int width = 40;
        const char* bar = "########################################";
        const char* space = "                                        ";
        bool enabled, shown = false;
        int lastPercent = -1;
        std::chrono::steady_clock::time_point started;
    };
}

int main (int argc, char** argv)
{
    RenderSettings settings;
    juce::StringArray files;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg = juce::String::fromUTF8 (argv[i]);
        const bool takesValue = arg == "--rate" || arg == "--block" || arg == "--state" || arg == "--tail"
                                || arg == "--max-length";

        if (arg == "--help" || arg == "-h")
        {
            std::fputs (usage, stdout);
            return 0;
        }
        if (takesValue && i + 1 >= argc)
            return fail (arg + " needs a value (see --help)");

        if (arg == "--rate")
        {
            juce::int64 rate = 0;
            if (! parseInteger (argv[++i], 8000, 384000, rate))
                return fail ("the rate must be a whole number of hertz from 8000 to 384000, not '" + juce::String (argv[i]) + "'");
            settings.sampleRate = (double) rate;
        }
        else if (arg == "--block")
        {
            juce::int64 block = 0;
            if (! parseInteger (argv[++i], 1, 65536, block))
                return fail ("the block size must be a whole number from 1 to 65536, not '" + juce::String (argv[i]) + "'");
            settings.blockSize = (int) block;
        }
        else if (arg == "--tail")
        {
            if (! parseSeconds (argv[++i], 0.0, 600.0, settings.tailSeconds))
                return fail ("the tail must be a number of seconds from 0 to 600, not '" + juce::String (argv[i]) + "'");
        }
        else if (arg == "--max-length")
        {
            if (! parseSeconds (argv[++i], 1.0, 86400.0, settings.maxSeconds))
                return fail ("the maximum length must be a number of seconds from 1 to 86400, not '"
                             + juce::String (argv[i]) + "'");
        }
        else if (arg == "--state")
        {
            settings.stateFile = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String::fromUTF8 (argv[++i]));
        }
        else if (arg == "--float")
        {
            settings.floatingPoint = true;
        }
        else if (arg.startsWith ("-") && arg.length() > 1)
        {
            return fail ("unknown option " + arg + " (see --help)");
        }
        else
        {
            files.add (arg);
        }
    }

    if (files.size() != 2)
        return fail ("expected IN.mid and OUT.wav (see --help)");

    settings.midiFile = juce::File::getCurrentWorkingDirectory().getChildFile (files[0]);
    settings.outputFile = juce::File::getCurrentWorkingDirectory().getChildFile (files[1]);

    stopOnSignals();
    const juce::ScopedJuceInitialiser_GUI framework;
    ProgressBar progress;
    MidiRenderer renderer (settings);
    renderer.onProgress = [&progress] (double fraction) { progress.update (fraction); };
    renderer.shouldStop = [] { return stopSignal != 0; };

    juce::String error;
    const bool ok = renderer.render (error);
    progress.finish();
    if (! ok && stopSignal != 0)
        endBySignal (stopSignal);
    if (! ok)
        return fail (error);

    std::printf ("wrote %s: %.2f s at %d Hz, %s\n", settings.outputFile.getFullPathName().toRawUTF8(),
                 (double) renderer.getRenderedSamples() / settings.sampleRate, (int) settings.sampleRate,
                 settings.floatingPoint ? "32-bit float" : "16-bit");
    return 0;
}
