// The processor's saved-state reader. Each input is handed to the processor
// as a host hands over a saved state; an input that is not in the
// framework's binary envelope is also read as the XML text of a state,
// wrapped in a correct envelope, so that the mutations of XML reach the
// reader. Afterwards every parameter must be within its range, the engine
// must hold the value of every control, and held notes must sound finite.
//
// One processor serves every input (building its engine costs far more
// than reading a state); each input starts from the default sound with no
// key held.
#include "FuzzSupport.h"

#include "core/PluginProcessor.h"
#include "engine/VorsanSynth.h"

#include <cmath>

namespace
{
    constexpr juce::uint32 envelopeMagic = 0x21324356;

    bool inEnvelope (const uint8_t* data, size_t size)
    {
        return size >= 4 && juce::ByteOrder::littleEndianInt (data) == envelopeMagic;
    }

    juce::MemoryBlock wrapXmlText (const uint8_t* data, size_t size)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt ((int) envelopeMagic);
        out.writeInt ((int) size);
        out.write (data, size);
        out.writeByte (0);
        return block;
    }

    void expectParametersInRange (VorsanTembrolinAudioProcessor& processor)
    {
        for (int row = 0; row < NumFxParams; ++row)
        {
            const float value = processor.params[row]->getValue();
            if (! (value >= 0.0f && value <= 1.0f))
                fuzzFailure ("parameter " + juce::String (row) + " is " + juce::String (value));

            const int raw = rawFromNormalised (FxParams[row].maxValue, value);
            if (processor.synth->lastValue[row] != raw)
                fuzzFailure ("the engine plays " + juce::String (processor.synth->lastValue[row])
                             + " for parameter " + juce::String (row) + ", the control shows " + juce::String (raw));
        }
    }

    constexpr int notes[] = { 48, 67, 96 };

    void expectFiniteSound (VorsanTembrolinAudioProcessor& processor)
    {
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        for (int note : notes)
            midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);

        for (int block = 0; block < 3; ++block)
        {
            processor.processBlock (buffer, midi);
            expectFinite (buffer, buffer.getNumSamples(), "after restoring a state");
            midi.clear();
        }

        for (int note : notes)
            midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
        processor.processBlock (buffer, midi);
        expectFinite (buffer, buffer.getNumSamples(), "after restoring a state");
    }

    VorsanTembrolinAudioProcessor& processorWithDefaultSound()
    {
        static auto* processor = []
        {
            auto* p = new VorsanTembrolinAudioProcessor();
            p->setRateAndBufferSizeDetails (44100.0, 512);
            p->prepareToPlay (44100.0, 512);
            return p;
        }();

        for (int row = 0; row < NumFxParams; ++row)
            processor->params[row]->setValueNotifyingHost (normalisedFromRaw (FxParams[row].defaultValue, FxParams[row].maxValue));
        return *processor;
    }
}

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    startFramework();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size > (size_t) std::numeric_limits<int>::max() - 16)
        return 0;

    auto& processor = processorWithDefaultSound();

    processor.setStateInformation (data, (int) size);
    if (! inEnvelope (data, size))
    {
        const auto wrapped = wrapXmlText (data, size);
        processor.setStateInformation (wrapped.getData(), (int) wrapped.getSize());
    }

    expectParametersInRange (processor);
    expectFiniteSound (processor);
    return 0;
}
