#include "FuzzSupport.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

void startFramework()
{
    // Never shut down: libFuzzer ends the process with exit(), after the
    // framework's own static objects may already be gone.
    static auto* framework = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (framework);
}

void fuzzFailure (const juce::String& what)
{
    std::fprintf (stderr, "fuzz target: %s\n", what.toRawUTF8());
    std::abort();
}

void expectFinite (const juce::AudioBuffer<float>& buffer, int numSamples, const char* where)
{
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (int j = 0; j < numSamples; ++j)
            if (! std::isfinite (buffer.getSample (channel, j)))
                fuzzFailure (juce::String (where) + ": sample " + juce::String (j) + " of channel "
                             + juce::String (channel) + " is " + juce::String (buffer.getSample (channel, j)));
}
