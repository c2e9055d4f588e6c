#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// Shared by the fuzz targets that run the instrument's framework code.

// Starts the framework once for the whole fuzzing process, as the
// application does (call from LLVMFuzzerInitialize).
void startFramework();

// Reports a broken promise and stops the run, so that libFuzzer keeps the
// input that caused it.
[[noreturn]] void fuzzFailure (const juce::String& what);

// Stops the run unless every sample of the first `numSamples` of every
// channel is finite.
void expectFinite (const juce::AudioBuffer<float>& buffer, int numSamples, const char* where);
