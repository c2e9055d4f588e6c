#include "MidiRenderer.h"

#include "core/PluginProcessor.h"
#include "core/SavedState.h"

#include <cmath>

MidiRenderer::MidiRenderer (RenderSettings settingsToUse) : settings (std::move (settingsToUse)) {}

bool MidiRenderer::readMidi (MidiSchedule& schedule, juce::String& error) const
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

    const MidiSchedule::Timing timing { settings.sampleRate, settings.tailSeconds, settings.maxSeconds };
    if (! schedule.read (stream, timing, error))
    {
        error = file.getFullPathName() + " " + error;
        return false;
    }
    return true;
}

bool MidiRenderer::readState (juce::MemoryBlock& state, juce::String& error) const
{
    // A saved sound is about two kilobytes: a file of megabytes is not one,
    // and is not loaded into memory to find that out.
    const auto& file = settings.stateFile;
    if (file.existsAsFile() && file.getSize() > 1024 * 1024)
    {
        error = file.getFullPathName() + " is not a saved VorsanTembrolin state";
        return false;
    }
    if (! file.existsAsFile() || ! file.loadFileAsData (state))
    {
        error = "cannot read state " + file.getFullPathName();
        return false;
    }

    const auto xml = parseSavedState (state.getData(), (int) state.getSize());
    if (xml == nullptr || ! xml->getTagName().equalsIgnoreCase ("PRESET"))
    {
        error = file.getFullPathName() + " is not a saved VorsanTembrolin state";
        return false;
    }
    return true;
}

bool MidiRenderer::render (juce::String& error)
{
    MidiSchedule schedule;
    if (! readMidi (schedule, error))
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

    // Written under a temporary name beside the target and renamed at the
    // end; the temporary file is deleted on every way out before that.
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

    bool writeFailed = false;
    const bool played = play (schedule, processor, settings.blockSize,
                              [&] (const juce::AudioBuffer<float>& buffer, int length)
                              {
                                  writeFailed = ! writer->writeFromAudioSampleBuffer (buffer, 0, length);
                                  return ! writeFailed;
                              });
    if (! played)
    {
        error = writeFailed ? "cannot write " + target.getFullPathName() + ": disk full or not writable"
                            : juce::String ("stopped before the end; nothing was written");
        return false;
    }

    processor.releaseResources();
    writer.reset();   // flushes and closes the file

    if (! temporary.overwriteTargetFileWithTemporary())
    {
        error = "cannot write " + target.getFullPathName() + ": renaming the finished file failed";
        return false;
    }

    renderedSamples = schedule.totalSamples;
    return true;
}

bool MidiRenderer::play (const MidiSchedule& schedule, VorsanTembrolinAudioProcessor& processor, int blockSize,
                         const BlockSink& sink)
{
    const auto totalSamples = schedule.totalSamples;
    const auto& events = schedule.events;
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi, shown;
    size_t nextEvent = 0;

    for (juce::int64 start = 0; start < totalSamples; start += blockSize)
    {
        const int length = (int) std::min<juce::int64> (blockSize, totalSamples - start);

        midi.clear();
        for (; nextEvent < events.size() && events[nextEvent].position < start + length; ++nextEvent)
            midi.addEvent (events[nextEvent].message, (int) std::max<juce::int64> (0, events[nextEvent].position - start));

        buffer.setSize (2, length, false, false, true);
        processor.processBlock (buffer, midi);
        processor.takeMidiDisplayEvents (shown);   // what the on-screen keyboard would do

        if (! sink (buffer, length))
            return false;
        if (shouldStop != nullptr && shouldStop())
            return false;
        if (onProgress != nullptr)
            onProgress ((double) (start + length) / (double) totalSamples);
    }
    return true;
}
