#pragma once

#include "core/PluginProcessor.h"
#include "engine/VorsanSynth.h"

#include <memory>
#include <vector>

// An engine for `rate` that has been sent the catalogue's default values,
// row by row, as a host-independent reference for what the processor plays.
std::unique_ptr<VorsanSynth> makeDefaultEngine (float rate);

// Runs one block of `numSamples` through the processor and returns channel 0
// (the test fails if channel 1 differs from it).
std::vector<float> renderBlock (VorsanTembrolinAudioProcessor& processor, int numSamples,
                                juce::MidiBuffer& midi);
std::vector<float> renderBlock (VorsanTembrolinAudioProcessor& processor, int numSamples);

// `count` samples straight from an engine.
std::vector<float> renderEngine (VorsanSynth& engine, int count);
