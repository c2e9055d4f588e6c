#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "core/FxParams.h"

class VorsanSynth;
class JackMidiInput;

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
// Hosts may call any of this from any thread, and run several instances in
// one process: nothing is shared between instances.
class VorsanTembrolinAudioProcessor : public juce::AudioProcessor
{
public:
    // The values the framework exchanges are normalised (raw / maxValue).
    // The parameter carries its row's id and its raw range (0..maxValue in
    // steps of 1) for plug-in hosts: without an id, LV2 names parameters
    // after their index, which its manifest cannot spell ("0" and "1" both
    // become "_"); and a host that shows or resets the raw value (LV2's
    // range and default) hands back exactly raw / maxValue, where a
    // normalised default written with six decimals (0.503937 for 64/127)
    // would truncate to the value below.
    class KvoParameter : public juce::RangedAudioParameter
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
        const juce::NormalisableRange<float>& getNormalisableRange() const override;

        VorsanTembrolinAudioProcessor& owner;
        int maxValue;
        std::atomic<float> value;   // relaxed: read by the UI poll, written by any caller
        float defaultValue;
        juce::String id;
        juce::String name;

    private:
        const juce::NormalisableRange<float> rawRange;
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
    // (which is cleared first), in the order they arrived; sample positions
    // count from the start of the first block since the previous call.
    // Called by the user interface.
    void takeMidiDisplayEvents (juce::MidiBuffer& destination);

    // Bytes of MIDI copies kept for the on-screen keyboard (about 900 notes).
    // In a plug-in whose editor is closed nobody takes them: when a copy does
    // not fit, the older copies are discarded, so that the keyboard, once
    // shown, never sees a key pressed whose release was lost.
    static constexpr int midiDisplayCapacity = 8192;

    juce::String dataFolder;
    KvoParameter* params[NumFxParams] = {};
    juce::MidiBuffer midiDisplayBuffer;   // guarded by midiDisplayLock; never above its capacity
    juce::String systemQuery;
    float engineSampleRate = 44100.0f;
    std::atomic<int> holdSamples { 0 };
    std::atomic<bool> busy { true };
    std::unique_ptr<VorsanSynth> synth;

private:
    void sendAllParameters();
    // Requires engineLock to be held by the caller.
    void applyMidiMessage (const juce::MidiMessage& message);
    // Audio thread, with midiDisplayLock held: applies one incoming message
    // (when the engine is ours for this block) and copies it for the display.
    void handleIncomingMidi (const juce::uint8* data, int numBytes, int samplePosition, bool haveEngine);
    // Audio thread: takes engineLock unless busy is (or becomes) set.
    bool lockEngineForBlock();
    static juce::String makeSystemQuery();

    juce::SpinLock engineLock;
    // Held by a parameter from storing its value until the engine has it
    // (taken before engineLock, never after it).
    juce::SpinLock parameterWriteLock;
    juce::SpinLock midiDisplayLock;
    std::mutex lifecycleMutex;   // one rebuild / reset at a time
    std::atomic<float> modulationValue { 0.0f };
    int displayBlockStart = 0;   // guarded by midiDisplayLock
    std::unique_ptr<JackMidiInput> jackMidiInput;   // stand-alone on a JACK server only

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VorsanTembrolinAudioProcessor)
};
