#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "core/FxParams.h"

class VorsanSynth;

// The audio processor that the stand-alone wrapper drives: owns the 21
// parameters and the engine, renders blocks, applies MIDI notes, picks the
// engine rate from the device rate and saves/restores the sound.
//
// Threads. The engine has no lock of its own, so every call into it goes
// through engineLock, a spin lock:
//  - the audio thread holds it for the whole of processBlock (MIDI notes and
//    rendering), so an engine call from another thread waits at most one block;
//  - the message thread (on-screen keys, parameter changes) holds it for a
//    single NoteOn / NoteOff / setParameterSynth, about a microsecond, which
//    is the longest the audio thread waits for it (it spins briefly, then
//    yields, in case the holder was preempted);
//  - a rebuild or reset sets busy first and only then takes the lock; the
//    audio thread gives up waiting as soon as it sees busy and plays silence,
//    so it never waits for an engine being built, reset or deleted.
// An engine is only deleted with the lock held, so no thread can be inside it.
// The modulation value for the panel's lamp is copied into an atomic at the end
// of every block (getModulationValue), and the copies of incoming MIDI for the
// on-screen keyboard are handed over under their own short lock
// (takeMidiDisplayEvents), so the user interface never touches the engine.
class VorsanTembrolinAudioProcessor : public juce::AudioProcessor
{
public:
    class KvoParameter : public juce::AudioProcessorParameter
    {
    public:
        KvoParameter (VorsanTembrolinAudioProcessor& owner, int maxValue, int defaultValue,
                      const juce::String& id, const juce::String& name);
        ~KvoParameter() override;

        float getValue() const override;
        void setValue (float newValue) override;
        float getDefaultValue() const override;
        juce::String getName (int maximumStringLength) const override;
        juce::String getLabel() const override;
        float getValueForText (const juce::String& text) const override;
        bool isMetaParameter() const override;
        Category getCategory() const override;

        VorsanTembrolinAudioProcessor& owner;
        int maxValue;
        std::atomic<float> value;   // relaxed: read by the UI poll, written by any caller
        float defaultValue;
        juce::String id;
        juce::String name;
    };

    VorsanTembrolinAudioProcessor();
    ~VorsanTembrolinAudioProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;
    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    bool hasEditor() const override;
    juce::AudioProcessorEditor* createEditor() override;
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    // Forwards a raw value (0..127) of row `index` to the engine.
    void SetParameter (int index, int value);
    // The text shown beside a control: a percentage, or hertz for row 20.
    juce::String getParameterReadout (int index) const;
    // Applies one MIDI message to the engine; only notes 48..96 play.
    void ProcessMidiMessage (juce::MidiMessage message);

    // The engine's last modulation value, safe to read from any thread at any
    // time (also while the engine is being rebuilt).
    float getModulationValue() const;
    // Moves every MIDI event copied since the last call into `destination`
    // (which is cleared first). Called by the user interface; no allocation.
    void takeMidiDisplayEvents (juce::MidiBuffer& destination);

    juce::String dataFolder;
    KvoParameter* params[NumFxParams] = {};
    juce::MidiBuffer midiDisplayBuffer;   // guarded by midiDisplayLock
    juce::String systemQuery;
    float engineSampleRate = 44100.0f;
    std::atomic<int> holdSamples { 0 };
    std::atomic<bool> busy { true };
    std::unique_ptr<VorsanSynth> synth;

private:
    void sendAllParameters();
    // Requires engineLock to be held by the caller.
    void applyMidiMessage (const juce::MidiMessage& message);
    // Audio thread: takes engineLock unless busy is (or becomes) set.
    bool lockEngineForBlock();
    static juce::String makeSystemQuery();

    juce::SpinLock engineLock;
    juce::SpinLock midiDisplayLock;
    std::mutex lifecycleMutex;   // one rebuild / reset at a time
    std::atomic<float> modulationValue { 0.0f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VorsanTembrolinAudioProcessor)
};
