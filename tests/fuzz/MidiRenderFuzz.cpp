// The renderer's reading and scheduling of MIDI files, and the render
// itself, without files: each input is read as a standard MIDI file and, if
// it is one and short enough, played through a new processor. A render is
// limited to one second here (longer files must be refused with a reason),
// so that every input is quick; the rate and block size follow from the
// input's length, so that one input always plays the same way. The schedule
// must stay within the render, in order, and the sound finite.
#include "FuzzSupport.h"

#include "core/PluginProcessor.h"
#include "tools/render/MidiRenderer.h"

#include <cmath>

namespace
{
    void expectOrderedWithinTheRender (const MidiSchedule& schedule, const MidiSchedule::Timing& timing)
    {
        if (schedule.totalSamples < 0 || schedule.totalSamples > (juce::int64) std::ceil (timing.maxSeconds * timing.sampleRate))
            fuzzFailure ("a render of " + juce::String (schedule.totalSamples) + " samples");

        juce::int64 previous = 0;
        for (const auto& event : schedule.events)
        {
            if (event.position < previous || event.position > schedule.totalSamples)
                fuzzFailure ("an event at sample " + juce::String (event.position) + " after "
                             + juce::String (previous) + ", in a render of " + juce::String (schedule.totalSamples));
            if (event.message.isMetaEvent())
                fuzzFailure ("a meta event is played");
            previous = event.position;
        }
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    startFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static constexpr double rates[] = { 8000.0, 44100.0, 96000.0 };
    const MidiSchedule::Timing timing { rates[size % 3], 0.05, 1.0 };
    const int blockSize = 1 + (int) (size * 7 % 600);

    juce::MemoryInputStream stream (data, size, false);
    MidiSchedule schedule;
    juce::String error;
    if (! schedule.read (stream, timing, error))
    {
        if (error.isEmpty() || error.containsChar ('\n'))
            fuzzFailure ("a refusal without a one-line reason: '" + error + "'");
        return 0;
    }
    expectOrderedWithinTheRender (schedule, timing);

    VorsanTembrolinAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (timing.sampleRate, blockSize);
    processor.prepareToPlay (timing.sampleRate, blockSize);

    MidiRenderer renderer ({});
    juce::int64 rendered = 0;
    renderer.play (schedule, processor, blockSize, [&] (const juce::AudioBuffer<float>& buffer, int length)
    {
        expectFinite (buffer, length, "a render");
        rendered += length;
        return true;
    });
    if (rendered != schedule.totalSamples)
        fuzzFailure ("rendered " + juce::String (rendered) + " of " + juce::String (schedule.totalSamples) + " samples");
    return 0;
}
