#include "MidiRenderer.h"

#include "core/PluginProcessor.h"

#include <cmath>

MidiRenderer::MidiRenderer (RenderSettings settingsToUse) : settings (std::move (settingsToUse)) {}

bool MidiRenderer::readMidi (juce::MidiMessageSequence& events, juce::String& error) const
{
    const auto& file = settings.midiFile;
    if (! file.existsAsFile())
    {
        error = "cannot read " + file.getFullPathName() + ": no such file";
        return false;
    }

    juce::FileInputStream stream (file);
    if (stream.failedToOpen())
    {
        error = "cannot read " + file.getFullPathName() + ": " + stream.getStatus().getErrorMessage();
        return false;
    }

    juce::MidiFile midi;
    if (! midi.readFrom (stream) || midi.getTimeFormat() == 0)
    {
        error = file.getFullPathName() + " is not a standard MIDI file";
        return false;
    }

    midi.convertTimestampTicksToSeconds();
    for (int track = 0; track < midi.getNumTracks(); ++track)
        events.addSequence (*midi.getTrack (track), 0.0);
    events.sort();
    return true;
}

bool MidiRenderer::readState (juce::MemoryBlock& state, juce::String& error) const
{
    const auto& file = settings.stateFile;
    if (! file.existsAsFile() || ! file.loadFileAsData (state))
    {
        error = "cannot read state " + file.getFullPathName();
        return false;
    }

    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());
    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase ("PRESET"))
    {
        error = file.getFullPathName() + " is not a saved VorsanTembrolin state";
        return false;
    }
    return true;
}

bool MidiRenderer::render (juce::String& error)
{
    juce::MidiMessageSequence events;
    if (! readMidi (events, error))
        return false;

    juce::MemoryBlock state;
    if (settings.stateFile != juce::File() && ! readState (state, error))
        return false;

    const auto& target = settings.outputFile;
    if (target.isDirectory() || ! target.getParentDirectory().isDirectory())
    {
        error = "cannot write " + target.getFullPathName() + ": "
                + (target.isDirectory() ? "it is a folder" : "the folder does not exist");
        return false;
    }

    // Written under a temporary name beside the target and renamed at the end.
    juce::TemporaryFile temporary (target);
    std::unique_ptr<juce::AudioFormatWriter> writer;
    {
        auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());
        if (stream->failedToOpen())
        {
            error = "cannot write " + target.getFullPathName() + ": " + stream->getStatus().getErrorMessage();
            return false;
        }
        juce::WavAudioFormat wav;
        writer.reset (wav.createWriterFor (stream.get(), settings.sampleRate, 2,
                                           settings.floatingPoint ? 32 : 16, {}, 0));
        if (writer == nullptr)
        {
            error = "cannot write " + target.getFullPathName() + ": no WAV writer for this format";
            return false;
        }
        stream.release();   // now owned by the writer
    }

    VorsanTembrolinAudioProcessor processor;
    if (state.getSize() > 0)
        processor.setStateInformation (state.getData(), (int) state.getSize());
    processor.setRateAndBufferSizeDetails (settings.sampleRate, settings.blockSize);
    processor.prepareToPlay (settings.sampleRate, settings.blockSize);

    const double lastEventTime = events.getNumEvents() > 0 ? events.getEndTime() : 0.0;
    const auto totalSamples = (juce::int64) std::ceil ((lastEventTime + settings.tailSeconds) * settings.sampleRate);

    juce::AudioBuffer<float> buffer (2, settings.blockSize);
    juce::MidiBuffer midi, shown;
    int nextEvent = 0;

    for (juce::int64 start = 0; start < totalSamples; start += settings.blockSize)
    {
        const int length = (int) std::min<juce::int64> (settings.blockSize, totalSamples - start);

        midi.clear();
        for (; nextEvent < events.getNumEvents(); ++nextEvent)
        {
            const auto& message = events.getEventPointer (nextEvent)->message;
            const auto position = (juce::int64) std::floor (message.getTimeStamp() * settings.sampleRate);
            if (position >= start + length)
                break;
            if (! message.isMetaEvent())
                midi.addEvent (message, (int) std::max<juce::int64> (0, position - start));
        }

        buffer.setSize (2, length, false, false, true);
        processor.processBlock (buffer, midi);
        processor.takeMidiDisplayEvents (shown);   // what the on-screen keyboard would do

        if (! writer->writeFromAudioSampleBuffer (buffer, 0, length))
        {
            error = "cannot write " + target.getFullPathName() + ": disk full or not writable";
            return false;
        }

        if (onProgress != nullptr)
            onProgress ((double) (start + length) / (double) totalSamples);
    }

    processor.releaseResources();
    writer.reset();   // flushes and closes the file

    if (! temporary.overwriteTargetFileWithTemporary())
    {
        error = "cannot write " + target.getFullPathName() + ": renaming the finished file failed";
        return false;
    }

    renderedSamples = totalSamples;
    return true;
}
