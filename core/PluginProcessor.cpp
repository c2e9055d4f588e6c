#include "core/PluginProcessor.h"

#include "core/JackMidiInput.h"
#include "engine/VorsanSynth.h"
#include "ui/PluginEditor.h"

#include <cmath>
#include <limits>
#include <cstdio>
#include <thread>

namespace
{
    constexpr int lowestNote = 48;
    constexpr int highestNote = 96;

    // The engine runs at 48000 Hz for the exact 48 kHz family, else at 44100 Hz.
    float engineRateFor (double deviceRate)
    {
        if (deviceRate == 48000.0 || deviceRate == 96000.0
            || deviceRate == 192000.0 || deviceRate == 384000.0)
            return 48000.0f;

        return 44100.0f;
    }

    // Extra output samples for which each engine sample is repeated.
    int holdSamplesFor (double deviceRate, float engineRate)
    {
        const float ratio = (float) deviceRate / engineRate;

        if (! (ratio >= 0.0f && ratio < 1.0e6f))   // no device rate at all: no hold
            return 0;

        return (int) ratio - 1;
    }
}

VorsanTembrolinAudioProcessor::VorsanTembrolinAudioProcessor()
{
    busy = true;
    engineSampleRate = 44100.0f;

    dataFolder = juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory).getFullPathName()
                 + "/" + "Vorsan" + "/" + "VorsanTembrolin" + "/";
    systemQuery = makeSystemQuery();

    for (int row = 0; row < NumFxParams; ++row)
    {
        const FxParamDef& def = FxParams[row];
        params[row] = new KvoParameter (*this, def.maxValue, def.defaultValue,
                                        juce::String (def.id), juce::String::fromUTF8 (def.name));
        addParameter (params[row]);
    }

    // All the room the copies for the on-screen keyboard may take, so that
    // copying does not allocate on the audio thread.
    midiDisplayBuffer.ensureSize ((size_t) midiDisplayCapacity);

    busy = true;
    synth = std::make_unique<VorsanSynth> (44100.0f);
    busy = false;

    sendAllParameters();

    if (wrapperType == wrapperType_Standalone)
        jackMidiInput = JackMidiInput::open ("VorsanTembrolin MIDI");
}

VorsanTembrolinAudioProcessor::~VorsanTembrolinAudioProcessor()
{
    jackMidiInput.reset();

    const std::lock_guard<std::mutex> lifecycle (lifecycleMutex);
    busy = true;

    std::unique_ptr<VorsanSynth> old;
    {
        const juce::SpinLock::ScopedLockType engine (engineLock);
        old = std::move (synth);
    }
}

juce::String VorsanTembrolinAudioProcessor::makeSystemQuery()
{
    using juce::SystemStats;

    int width = 0, height = 0;
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
    {
        width = display->userArea.getWidth();
        height = display->userArea.getHeight();
    }

    return "&osnm=" + SystemStats::getOperatingSystemName()
         + "&cpuv=" + SystemStats::getCpuVendor()
         + "&cpum=" + SystemStats::getCpuModel()
         + "&cpun=" + juce::String (SystemStats::getNumCpus())
         + "&cpus=" + juce::String (SystemStats::getCpuSpeedInMegahertz())
         + "&mems=" + juce::String (SystemStats::getMemorySizeInMegabytes())
         + "&lang=" + SystemStats::getDisplayLanguage()
         + "&locl=" + SystemStats::getUserRegion()
         + "&sres=" + juce::String (width) + "x" + juce::String (height);
}

// Every value is read and applied under the lock, so that a control moved
// at the same moment on another thread is applied after it, never overwritten
// by an older value.
void VorsanTembrolinAudioProcessor::sendAllParameters()
{
    const juce::SpinLock::ScopedLockType engine (engineLock);

    if (busy || synth == nullptr)
        return;

    for (int row = 0; row < NumFxParams; ++row)
    {
        const int raw = rawFromNormalised (params[row]->maxValue, params[row]->getValue());
        if ((unsigned) raw <= 127u)
            synth->setParameterSynth (row, raw);
    }
}

//==============================================================================
void VorsanTembrolinAudioProcessor::prepareToPlay (double sampleRate, int)
{
    const std::lock_guard<std::mutex> lifecycle (lifecycleMutex);

    const float engineRate = engineRateFor (sampleRate);
    holdSamples = holdSamplesFor (sampleRate, engineRate);

    if (engineRate == engineSampleRate)
    {
        busy = false;
        return;
    }

    engineSampleRate = engineRate;
    busy = true;

    // Detach and delete the old engine, then build the new one outside the
    // lock: nobody waits for the slow construction, everyone sees busy.
    std::unique_ptr<VorsanSynth> old;
    {
        const juce::SpinLock::ScopedLockType engine (engineLock);
        old = std::move (synth);
    }
    old.reset();
    modulationValue = 0.0f;

    auto fresh = std::make_unique<VorsanSynth> (engineRate);
    {
        const juce::SpinLock::ScopedLockType engine (engineLock);
        synth = std::move (fresh);
    }
    busy = false;

    sendAllParameters();
    busy = false;
}

void VorsanTembrolinAudioProcessor::releaseResources()
{
    const std::lock_guard<std::mutex> lifecycle (lifecycleMutex);

    if (synth == nullptr)
        return;

    busy = true;
    {
        const juce::SpinLock::ScopedLockType engine (engineLock);
        synth->Reset();
    }
    busy = false;
}

bool VorsanTembrolinAudioProcessor::lockEngineForBlock()
{
    // Waits only for a single engine call from another thread; a rebuild or
    // reset announces itself through busy and is never waited for. After a
    // short spin it yields, so that a holder that was preempted on this core
    // can finish its call.
    for (int attempt = 0; ! busy.load(); ++attempt)
    {
        if (engineLock.tryEnter())
        {
            if (! busy.load() && synth != nullptr)
                return true;

            engineLock.exit();
            return false;
        }

        if (attempt >= 64)
            std::this_thread::yield();
    }

    return false;
}

void VorsanTembrolinAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    for (int channel = getTotalNumInputChannels(); channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);

    const bool haveEngine = lockEngineForBlock();

    {
        const juce::SpinLock::ScopedLockType display (midiDisplayLock);

        for (const auto event : midi)
            handleIncomingMidi (event.data, event.numBytes, event.samplePosition, haveEngine);

        if (jackMidiInput != nullptr)
            jackMidiInput->drain ([this, haveEngine] (const juce::uint8* data, int numBytes)
                                  { handleIncomingMidi (data, numBytes, 0, haveEngine); });

        displayBlockStart += numSamples;
    }
    midi.clear();

    float* const left = buffer.getNumChannels() > 0 ? buffer.getWritePointer (0) : nullptr;
    float* const right = buffer.getNumChannels() > 1 ? buffer.getWritePointer (1) : nullptr;
    const int hold = holdSamples.load (std::memory_order_relaxed);

    // One engine sample per device sample: the engine renders the whole
    // block at once (the same samples, for less work per sample).
    const bool wholeBlock = haveEngine && hold == 0 && left != nullptr;
    if (wholeBlock)
    {
        synth->Process (left, numSamples);
        if (right != nullptr)
            juce::FloatVectorOperations::copy (right, left, numSamples);
    }

    int counter = 0;
    float current = 0.0f;

    for (int j = wholeBlock ? numSamples : 0; j < numSamples; ++j)
    {
        if (counter == 0)
            current = (haveEngine && ! busy.load (std::memory_order_relaxed)) ? synth->Process() : 0.0f;

        if (left != nullptr)  left[j] = current;
        if (right != nullptr) right[j] = current;

        if (++counter > hold)
            counter = 0;
    }

    if (haveEngine)
    {
        modulationValue.store (synth->lfoValue.load (std::memory_order_relaxed), std::memory_order_relaxed);
        engineLock.exit();
    }
}

//==============================================================================
void VorsanTembrolinAudioProcessor::SetParameter (int index, int value)
{
    if (busy || (unsigned) value > 127u || (unsigned) index >= (unsigned) NumFxParams)
        return;

    const juce::SpinLock::ScopedLockType engine (engineLock);

    if (! busy && synth != nullptr)
        synth->setParameterSynth (index, value);
}

juce::String VorsanTembrolinAudioProcessor::getParameterReadout (int index) const
{
    if ((unsigned) index >= (unsigned) NumFxParams)
        return {};

    char text[128] = {};
    const float value = params[index]->getValue();

    if (index == 20)
        VorsanSynth::GetParameterReadout (20, value, text);
    else
        std::snprintf (text, sizeof (text), "%d %%", rawFromNormalised (100, value));

    return juce::String (text);
}

void VorsanTembrolinAudioProcessor::ProcessMidiMessage (juce::MidiMessage message)
{
    if (busy)
        return;

    const juce::SpinLock::ScopedLockType engine (engineLock);
    applyMidiMessage (message);
}

void VorsanTembrolinAudioProcessor::handleIncomingMidi (const juce::uint8* data, int numBytes,
                                                        int samplePosition, bool haveEngine)
{
    // Only short messages can be notes; longer ones (system exclusive) are
    // not applied, nor copied into a MidiMessage.
    if (haveEngine && numBytes <= 3)
        applyMidiMessage (juce::MidiMessage (data, numBytes, (double) samplePosition));

    // Positions count on from block to block, so that the copies keep their
    // order (the buffer sorts by position). When a copy does not fit, the
    // older ones go: what is kept is always the latest stretch of input.
    const int size = numBytes + (int) (sizeof (juce::int32) + sizeof (juce::uint16));

    if (midiDisplayBuffer.data.size() + size > midiDisplayCapacity
        || displayBlockStart > std::numeric_limits<int>::max() / 2)
    {
        midiDisplayBuffer.clear();
        displayBlockStart = 0;
    }

    if (size <= midiDisplayCapacity)
        midiDisplayBuffer.addEvent (data, numBytes, displayBlockStart + samplePosition);
}

void VorsanTembrolinAudioProcessor::applyMidiMessage (const juce::MidiMessage& message)
{
    if (busy || synth == nullptr || message.getRawDataSize() < 3)
        return;

    const int note = message.getNoteNumber();
    const bool inRange = note >= lowestNote && note <= highestNote;

    if (message.isNoteOn())
    {
        if (inRange)
            synth->NoteOn (note, message.getVelocity());
    }
    else if (message.isNoteOff())
    {
        if (inRange)
            synth->NoteOff (note);
    }
}

float VorsanTembrolinAudioProcessor::getModulationValue() const
{
    return modulationValue.load (std::memory_order_relaxed);
}

void VorsanTembrolinAudioProcessor::takeMidiDisplayEvents (juce::MidiBuffer& destination)
{
    destination.clear();
    // Room first, so that the copy under the lock does not allocate.
    destination.ensureSize ((size_t) midiDisplayCapacity);

    const juce::SpinLock::ScopedLockType display (midiDisplayLock);
    destination.data.addArray (midiDisplayBuffer.data);
    midiDisplayBuffer.clear();
    displayBlockStart = 0;
}

//==============================================================================
const juce::String VorsanTembrolinAudioProcessor::getName() const { return "VorsanTembrolin"; }
double VorsanTembrolinAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool VorsanTembrolinAudioProcessor::acceptsMidi() const { return true; }
bool VorsanTembrolinAudioProcessor::producesMidi() const { return true; }
bool VorsanTembrolinAudioProcessor::isMidiEffect() const { return false; }
bool VorsanTembrolinAudioProcessor::hasEditor() const { return true; }

juce::AudioProcessorEditor* VorsanTembrolinAudioProcessor::createEditor()
{
    return new VorsanTembrolinAudioProcessorEditor (*this);
}

// A sound is the whole state, and the instrument has no bank of programs to
// choose from. The stand-alone keeps its 128 programs of one name (its
// wrapper never lists them), but a plug-in reports none: hosts would list 128
// identical presets that do nothing (LV2), or add a 22nd, "Program",
// parameter (VST3). A DAW user saves and recalls sounds with the host's own
// presets, which store the state.
int VorsanTembrolinAudioProcessor::getNumPrograms()
{
    return wrapperType == wrapperType_Standalone || wrapperType == wrapperType_Undefined ? 128 : 0;
}
int VorsanTembrolinAudioProcessor::getCurrentProgram() { return 0; }
void VorsanTembrolinAudioProcessor::setCurrentProgram (int) {}
const juce::String VorsanTembrolinAudioProcessor::getProgramName (int) { return "VorsanTembrolin"; }
void VorsanTembrolinAudioProcessor::changeProgramName (int, const juce::String&) {}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new VorsanTembrolinAudioProcessor();
}
