#include "CoreTestSupport.h"

#include <gtest/gtest.h>

std::unique_ptr<VorsanSynth> makeDefaultEngine (float rate)
{
    auto engine = std::make_unique<VorsanSynth> (rate);
    for (int row = 0; row < NumFxParams; ++row)
        engine->setParameterSynth (row, FxParams[row].defaultValue);
    return engine;
}

std::vector<float> renderBlock (VorsanTembrolinAudioProcessor& processor, int numSamples,
                                juce::MidiBuffer& midi)
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    buffer.clear();
    processor.processBlock (buffer, midi);

    std::vector<float> left (buffer.getReadPointer (0), buffer.getReadPointer (0) + numSamples);
    for (int j = 0; j < numSamples; ++j)
        if (buffer.getSample (1, j) != left[(size_t) j])
        {
            ADD_FAILURE() << "channels differ at sample " << j;
            break;
        }
    return left;
}

std::vector<float> renderBlock (VorsanTembrolinAudioProcessor& processor, int numSamples)
{
    juce::MidiBuffer none;
    return renderBlock (processor, numSamples, none);
}

std::vector<float> renderEngine (VorsanSynth& engine, int count)
{
    std::vector<float> out;
    out.reserve ((size_t) count);
    for (int i = 0; i < count; ++i)
        out.push_back (engine.Process());
    return out;
}
