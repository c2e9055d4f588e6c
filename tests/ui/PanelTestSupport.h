#pragma once

// A processor with its front panel, and the ways a test plays on them: MIDI
// blocks as the audio thread would render them, parameter snapshots, and
// counters of what reaches the processor.

#include "core/PluginProcessor.h"
#include "engine/VorsanSynth.h"
#include "ui/MainSection.h"
#include "UiTestHelpers.h"

#include <array>

namespace uitest
{
    // Renders one block with these MIDI events, as the audio thread does; the
    // processor applies them and keeps copies for the panel.
    inline void renderBlock (VorsanTembrolinAudioProcessor& processor, std::initializer_list<juce::MidiMessage> events,
                             int samples = 64)
    {
        juce::AudioBuffer<float> buffer (2, samples);
        juce::MidiBuffer midi;
        for (const auto& event : events)
            midi.addEvent (event, 0);
        processor.processBlock (buffer, midi);
    }

    // Runs the message loop until the condition holds or the time is up; true
    // if it holds. The deadline is generous: it only matters when it fails.
    template <typename Condition>
    bool runMessageLoopUntil (Condition condition, int timeoutMs = 2000)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
        while (! condition() && juce::Time::getMillisecondCounter() < deadline)
            runMessageLoop (5);
        return condition();
    }

    inline std::array<float, NumFxParams> parameterValues (const VorsanTembrolinAudioProcessor& processor)
    {
        std::array<float, NumFxParams> values {};
        for (int row = 0; row < NumFxParams; ++row)
            values[(size_t) row] = processor.params[row]->getValue();
        return values;
    }

    // Counts every parameter change that reaches the host side of the
    // processor, i.e. every setValueNotifyingHost.
    struct ParameterChangeCounter : juce::AudioProcessorListener
    {
        explicit ParameterChangeCounter (juce::AudioProcessor& p) : processor (p) { processor.addListener (this); }
        ~ParameterChangeCounter() override { processor.removeListener (this); }

        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { changed.add (index); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

        juce::AudioProcessor& processor;
        juce::Array<int> changed;
    };

    // Records the areas of a component (and its children) that ask to be
    // repainted, which the framework reports to a component's cached image.
    // Only a visible component reports them.
    struct RepaintSpy : juce::CachedComponentImage
    {
        void paint (juce::Graphics&) override {}
        bool invalidateAll() override { areas.add ({ 0, 0, 1 << 20, 1 << 20 }); return true; }
        bool invalidate (const juce::Rectangle<int>& area) override { areas.add (area); return true; }
        void releaseResources() override {}

        int countWithin (juce::Rectangle<int> bounds) const
        {
            int count = 0;
            for (auto& area : areas)
                count += bounds.contains (area) ? 1 : 0;
            return count;
        }

        juce::Array<juce::Rectangle<int>> areas;
    };

    // Keys the engine holds down: what the processor really received.
    inline int heldKeys (const VorsanTembrolinAudioProcessor& processor)
    {
        return processor.synth->osc.heldCount;
    }
}

#include "info/NewsFeedClient.h"
#include "../info/InfoTestHelpers.h"

namespace uitest
{
    // A data folder of the test's own for the processor, so that a window's
    // news client keeps its record here rather than in the user's folder.
    // Unless asked for a first start, it holds a record saying that the
    // licence has been shown, so a window opens on the panel as on any later
    // start.
    struct ScratchDataFolder : infotest::TemporaryFolder
    {
        explicit ScratchDataFolder (VorsanTembrolinAudioProcessor& processor, bool firstStart = false)
        {
            processor.dataFolder = path();

            if (! firstStart)
                infotest::writeRecord (record(), { 0, 1, 1 });
        }

        juce::File record() const { return folder.getChildFile (NewsFeedClient::recordFileName); }
    };
}
