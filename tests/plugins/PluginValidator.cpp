// vorsan-validate: loads the built LV2 or VST3 plug-in through the framework's
// own hosting classes, as a DAW would, and checks it:
//   - it is found, named and described as an instrument with MIDI in and a
//     stereo output;
//   - it has the 21 parameters of the catalogue, with their names and
//     default values;
//   - a fixed MIDI sequence plays the same samples as the processor itself
//     (rendered by vorsan-render) at the same rate and block size;
//   - its state restored into a new instance gives the same sound;
//   - random automation with block sizes of 1, 7, 512 and 4096 samples gives
//     finite output, no denormals, and no slow silence;
//   - its editor opens and closes (needs a display);
//   - 50 instances made and deleted in turn leave no memory behind.
//
//   vorsan-validate --format LV2|VST3 --plugin BUNDLE --render VORSAN-RENDER --work DIR
//
// Prints one line per check and a summary; the exit status is 0 when all pass.

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "core/FxParams.h"

#include <X11/Xlib.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <time.h>
#include <vector>

namespace
{
    const juce::String lv2Uri = "https://www.vorsan.example/plugins/VorsanTembrolin";

    struct Options
    {
        juce::String format;
        juce::File plugin, renderer, work;
    };

    double threadCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    // Bytes the allocator has handed out and not had back.
    size_t heapInUse()
    {
        const auto info = mallinfo2();
        return info.uordblks + info.hblkhd;
    }

    // The fixed test sequence: chords, overlaps, a note-on of velocity 0 as a
    // release, notes just outside the keyboard, and controllers (which the
    // instrument ignores).
    juce::MidiMessageSequence testSequence()
    {
        juce::MidiMessageSequence s;
        auto at = [&s] (double seconds, juce::MidiMessage m) { m.setTimeStamp (seconds); s.addEvent (m); };
        at (0.00, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100));
        at (0.00, juce::MidiMessage::noteOn (1, 64, (juce::uint8) 90));
        at (0.13, juce::MidiMessage::noteOn (2, 67, (juce::uint8) 127));
        at (0.21, juce::MidiMessage::controllerEvent (1, 7, 20));
        at (0.40, juce::MidiMessage::noteOff (1, 60));
        at (0.41, juce::MidiMessage::noteOn (1, 47, (juce::uint8) 100));
        at (0.55, juce::MidiMessage::noteOn (1, 48, (juce::uint8) 60));
        at (0.70, juce::MidiMessage::noteOn (1, 64, (juce::uint8) 0));
        at (0.77, juce::MidiMessage::noteOn (16, 96, (juce::uint8) 110));
        at (0.90, juce::MidiMessage::noteOn (1, 97, (juce::uint8) 100));
        at (1.05, juce::MidiMessage::noteOff (2, 67));
        at (1.10, juce::MidiMessage::controllerEvent (1, 1, 127));
        at (1.20, juce::MidiMessage::noteOff (1, 48));
        at (1.31, juce::MidiMessage::noteOn (1, 72, (juce::uint8) 100));
        at (1.60, juce::MidiMessage::noteOff (16, 96));
        at (1.80, juce::MidiMessage::noteOff (1, 72));
        s.updateMatchedPairs();
        return s;
    }

    bool writeMidiFile (const juce::MidiMessageSequence& events, const juce::File& file)
    {
        // 120 beats a minute at 960 ticks a beat: ticks are seconds times 1920.
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::tempoMetaEvent (500000), 0.0);
        for (const auto* e : events)
        {
            auto m = e->message;
            m.setTimeStamp (std::round (m.getTimeStamp() * 1920.0));
            track.addEvent (m);
        }
        juce::MidiFile midi;
        midi.setTicksPerQuarterNote (960);
        midi.addTrack (track);
        file.deleteFile();
        juce::FileOutputStream out (file);
        return out.openedOk() && midi.writeTo (out);
    }

    // Reads a MIDI file back the way vorsan-render does, so that both place
    // every event at the same sample.
    juce::MidiMessageSequence readMidiFile (const juce::File& file)
    {
        juce::FileInputStream in (file);
        juce::MidiFile midi;
        juce::MidiMessageSequence events;
        if (in.openedOk() && midi.readFrom (in))
        {
            midi.convertTimestampTicksToSeconds();
            for (int track = 0; track < midi.getNumTracks(); ++track)
                events.addSequence (*midi.getTrack (track), 0.0);
            events.sort();
        }
        return events;
    }

    std::vector<float> readWav (const juce::File& file)
    {
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
        if (reader == nullptr)
            return {};
        juce::AudioBuffer<float> buffer ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&buffer, 0, (int) reader->lengthInSamples, 0, true, true);
        return std::vector<float> (buffer.getReadPointer (0), buffer.getReadPointer (0) + buffer.getNumSamples());
    }

    // Plays `events` through a plug-in instance in blocks of `blockSize`
    // until `totalSamples`, placing events as vorsan-render does. Returns the
    // left channel; `channelsDiffer` is set when the right one is not the same.
    std::vector<float> renderThrough (juce::AudioPluginInstance& plugin, const juce::MidiMessageSequence& events,
                                      double rate, int blockSize, juce::int64 totalSamples, bool& channelsDiffer)
    {
        const int channels = std::max (2, std::max (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels()));
        juce::AudioBuffer<float> buffer (channels, blockSize);
        juce::MidiBuffer midi;
        std::vector<float> out;
        out.reserve ((size_t) totalSamples);
        int next = 0;
        channelsDiffer = false;

        for (juce::int64 start = 0; start < totalSamples; start += blockSize)
        {
            const int length = (int) std::min<juce::int64> (blockSize, totalSamples - start);
            midi.clear();
            for (; next < events.getNumEvents(); ++next)
            {
                const auto& m = events.getEventPointer (next)->message;
                const auto position = (juce::int64) std::floor (m.getTimeStamp() * rate);
                if (position >= start + length)
                    break;
                if (! m.isMetaEvent())
                    midi.addEvent (m, (int) std::max<juce::int64> (0, position - start));
            }
            buffer.setSize (channels, length, false, false, true);
            buffer.clear();
            plugin.processBlock (buffer, midi);
            for (int j = 0; j < length; ++j)
            {
                out.push_back (buffer.getSample (0, j));
                channelsDiffer = channelsDiffer || buffer.getSample (1, j) != buffer.getSample (0, j);
            }
        }
        return out;
    }

    // The instrument's parameters as a host shows them, in the catalogue's
    // order: found by name, as LV2 hosts list them by identifier; the bypass
    // switch that each format adds of its own is left out. Empty unless
    // every catalogue name is there once and nothing else is.
    juce::Array<juce::AudioProcessorParameter*> instrumentParameters (juce::AudioPluginInstance& instance)
    {
        auto parameters = instance.getParameters();
        parameters.removeFirstMatchingValue (instance.getBypassParameter());
        if (parameters.size() != NumFxParams)
            return {};

        juce::Array<juce::AudioProcessorParameter*> inOrder;
        for (const auto& row : FxParams)
            for (auto* parameter : parameters)
                if (parameter->getName (128) == juce::String::fromUTF8 (row.name) && ! inOrder.contains (parameter))
                {
                    inOrder.add (parameter);
                    break;
                }
        return inOrder.size() == NumFxParams ? inOrder : juce::Array<juce::AudioProcessorParameter*>();
    }

    class Validator
    {
    public:
        explicit Validator (Options o) : options (std::move (o))
        {
            if (options.format == "LV2")
                format = std::make_unique<juce::LV2PluginFormat>();
            else if (options.format == "VST3")
                format = std::make_unique<juce::VST3PluginFormat>();
        }

        int run()
        {
            if (format == nullptr)
            {
                std::printf ("unknown format '%s' (LV2 or VST3)\n", options.format.toRawUTF8());
                return 2;
            }

            check ("found, named and described as an instrument", [this] { return describes(); });
            if (description == nullptr)
                return summary();

            check ("21 parameters with the catalogue's names and defaults", [this] { return parameters(); });
            check ("same samples as the processor at 44100 Hz in blocks of 512", [this] { return sameSamples (44100.0, 512); });
            check ("same samples as the processor at 96000 Hz in blocks of 333", [this] { return sameSamples (96000.0, 333); });
            check ("state restored into a new instance plays the same", [this] { return stateRoundTrip(); });
            check ("automation with blocks of 1, 7, 512 and 4096: finite, no denormals", [this] { return automation(); });
            check ("editor opens and closes", [this] { return editor(); });
            check ("50 instances made and deleted without leaking", [this] { return repeatedInstances(); });
            return summary();
        }

    private:
        using Result = juce::String;   // empty when the check passed

        void check (const char* name, const std::function<Result()>& body)
        {
            const auto started = juce::Time::getMillisecondCounterHiRes();
            const auto problem = body();
            const auto ms = juce::Time::getMillisecondCounterHiRes() - started;
            (problem.isEmpty() ? passed : failed)++;
            std::printf ("%s %s: %s (%.0f ms)%s%s\n", problem.isEmpty() ? "PASS" : "FAIL",
                         options.format.toRawUTF8(), name, ms,
                         problem.isEmpty() ? "" : "\n     ", problem.toRawUTF8());
            std::fflush (stdout);
        }

        int summary() const
        {
            std::printf ("%s: %d passed, %d failed\n", options.format.toRawUTF8(), passed, failed);
            return failed == 0 && passed > 0 ? 0 : 1;
        }

        std::unique_ptr<juce::AudioPluginInstance> instantiate (double rate, int blockSize)
        {
            juce::String error;
            auto instance = format->createInstanceFromDescription (*description, rate, blockSize, error);
            if (instance != nullptr)
            {
                instance->enableAllBuses();
                instance->setRateAndBufferSizeDetails (rate, blockSize);
                instance->prepareToPlay (rate, blockSize);
            }
            else
            {
                lastError = error;
            }
            return instance;
        }

        Result describes()
        {
            juce::OwnedArray<juce::PluginDescription> found;
            if (options.format == "LV2")
            {
                format->searchPathsForPlugins (juce::FileSearchPath (options.plugin.getParentDirectory().getFullPathName()), false);
                format->findAllTypesForFile (found, lv2Uri);
            }
            else
            {
                format->findAllTypesForFile (found, options.plugin.getFullPathName());
            }

            if (found.size() != 1)
                return "expected one plug-in in " + options.plugin.getFullPathName() + ", found " + juce::String (found.size());

            description = std::make_unique<juce::PluginDescription> (*found[0]);
            const auto& d = *description;
            juce::StringArray problems;
            if (d.name != "VorsanTembrolin")               problems.add ("name '" + d.name + "'");
            if (d.manufacturerName != "Vorsan")            problems.add ("maker '" + d.manufacturerName + "'");
            if (! d.isInstrument)                          problems.add ("not an instrument");
            if (d.numOutputChannels != 2)                  problems.add (juce::String (d.numOutputChannels) + " outputs");
            if (d.numInputChannels != 0)                   problems.add (juce::String (d.numInputChannels) + " inputs");

            auto instance = instantiate (44100.0, 512);
            if (instance == nullptr)
                return "cannot instantiate: " + lastError;
            if (! instance->acceptsMidi())                 problems.add ("no MIDI input");
            if (instance->getTotalNumOutputChannels() != 2) problems.add ("instance has " + juce::String (instance->getTotalNumOutputChannels()) + " outputs");
            return problems.joinIntoString ("; ");
        }

        Result parameters()
        {
            auto instance = instantiate (44100.0, 512);
            if (instance == nullptr)
                return "cannot instantiate: " + lastError;

            auto all = instance->getParameters();
            all.removeFirstMatchingValue (instance->getBypassParameter());
            const auto parameters = instrumentParameters (*instance);
            if (parameters.size() != NumFxParams)
            {
                juce::StringArray names;
                for (auto* parameter : all)
                    names.add (parameter->getName (128));
                return juce::String (all.size()) + " parameters besides bypass, not the catalogue's 21: "
                       + names.joinIntoString (", ");
            }

            juce::StringArray problems;
            for (int row = 0; row < NumFxParams; ++row)
            {
                const int raw = (int) ((float) FxParams[row].maxValue * parameters[row]->getValue());
                if (raw != FxParams[row].defaultValue)
                    problems.add (juce::String (row) + " starts at " + juce::String (raw));
            }
            return problems.joinIntoString ("; ");
        }

        Result sameSamples (double rate, int blockSize)
        {
            const auto midiFile = options.work.getChildFile ("sequence.mid");
            const auto wavFile = options.work.getChildFile ("reference-" + juce::String ((int) rate) + ".wav");
            if (! writeMidiFile (testSequence(), midiFile))
                return "cannot write " + midiFile.getFullPathName();

            juce::ChildProcess render;
            const juce::StringArray command { options.renderer.getFullPathName(), "--rate", juce::String ((int) rate),
                                              "--block", juce::String (blockSize), "--tail", "0.5", "--float",
                                              midiFile.getFullPathName(), wavFile.getFullPathName() };
            if (! render.start (command) || ! render.waitForProcessToFinish (120000) || render.getExitCode() != 0)
                return "vorsan-render failed: " + render.readAllProcessOutput();

            const auto reference = readWav (wavFile);
            if (reference.size() < (size_t) rate)
                return "the reference is too short";

            auto instance = instantiate (rate, blockSize);
            if (instance == nullptr)
                return "cannot instantiate: " + lastError;

            bool channelsDiffer = false;
            const auto got = renderThrough (*instance, readMidiFile (midiFile), rate, blockSize,
                                            (juce::int64) reference.size(), channelsDiffer);
            if (channelsDiffer)
                return "the two output channels differ";

            size_t differing = 0, first = got.size();
            float peak = 0.0f;
            for (size_t i = 0; i < got.size(); ++i)
            {
                peak = std::max (peak, std::abs (reference[i]));
                if (got[i] != reference[i])
                {
                    ++differing;
                    first = std::min (first, i);
                }
            }
            if (peak < 0.01f)
                return "the reference is silent";
            if (differing > 0)
                return juce::String ((juce::int64) differing) + " of " + juce::String ((juce::int64) got.size())
                       + " samples differ, first at " + juce::String ((juce::int64) first) + ": "
                       + juce::String (got[first], 9) + " instead of " + juce::String (reference[first], 9);
            return {};
        }

        Result stateRoundTrip()
        {
            auto original = instantiate (48000.0, 256);
            if (original == nullptr)
                return "cannot instantiate: " + lastError;
            if (instrumentParameters (*original).size() != NumFxParams)
                return "the parameters are not the instrument's";

            std::mt19937 random (7);
            std::vector<int> raws;
            for (int row = 0; row < NumFxParams; ++row)
            {
                const int maxValue = FxParams[row].maxValue;
                int raw = (int) (random() % (unsigned) (maxValue + 1));
                if (row == 19)
                    raw = 100 + raw % 28;   // keep it audible
                if (row == 4)
                    raw = 1;                // brass on
                raws.push_back (raw);
                instrumentParameters (*original)[row]->setValueNotifyingHost ((float) raw / (float) maxValue);
            }

            // LV2 hands parameter changes to the plug-in with the next block of
            // audio: one silent block first, in both instances alike.
            const auto events = testSequence();
            bool differ = false;
            const juce::MidiMessageSequence none;
            renderThrough (*original, none, 48000.0, 256, 256, differ);

            juce::MemoryBlock state;
            original->getStateInformation (state);
            auto restored = instantiate (48000.0, 256);
            if (restored == nullptr)
                return "cannot instantiate: " + lastError;
            restored->setStateInformation (state.getData(), (int) state.getSize());
            renderThrough (*restored, none, 48000.0, 256, 256, differ);

            const auto a = renderThrough (*original, events, 48000.0, 256, 96000, differ);
            const auto b = renderThrough (*restored, events, 48000.0, 256, 96000, differ);

            juce::StringArray problems;
            for (int row = 0; row < NumFxParams; ++row)
            {
                const int raw = (int) ((float) FxParams[row].maxValue * instrumentParameters (*restored)[row]->getValue());
                if (raw != raws[(size_t) row])
                    problems.add (juce::String (row) + " restored as " + juce::String (raw) + " instead of " + juce::String (raws[(size_t) row]));
            }
            if (a != b)
                problems.add ("the restored instance plays different samples");
            float peak = 0.0f;
            for (float s : a)
                peak = std::max (peak, std::abs (s));
            if (peak < 0.01f)
                problems.add ("the sound is silent");
            return problems.joinIntoString ("; ");
        }

        Result automation()
        {
            const int largest = 4096;
            auto instance = instantiate (48000.0, largest);
            if (instance == nullptr)
                return "cannot instantiate: " + lastError;

            const auto parameters = instrumentParameters (*instance);
            if (parameters.size() != NumFxParams)
                return "the parameters are not the instrument's";
            const int sizes[] = { 1, 7, 512, 4096 };
            const int channels = std::max (2, instance->getTotalNumOutputChannels());
            juce::AudioBuffer<float> buffer (channels, largest);
            juce::MidiBuffer midi;
            std::mt19937 random (11);
            long samples = 0, notFinite = 0, subnormal = 0;
            double playingCpu = 0.0, silentCpu = 0.0;
            long playingSamples = 0, silentSamples = 0;

            auto play = [&] (int size, bool automate, double& cpu, long& counted)
            {
                midi.clear();
                if (automate)
                {
                    for (int k = (int) (random() % 4); k > 0; --k)
                    {
                        const int row = (int) (random() % NumFxParams);
                        parameters[row]->setValueNotifyingHost ((float) (random() % 1001) / 1000.0f);
                    }
                    if (random() % 3 == 0)
                        midi.addEvent (juce::MidiMessage::noteOn (1, 48 + (int) (random() % 49), (juce::uint8) (1 + random() % 127)),
                                       (int) (random() % (unsigned) size));
                    if (random() % 3 == 0)
                        midi.addEvent (juce::MidiMessage::noteOff (1, 48 + (int) (random() % 49)), (int) (random() % (unsigned) size));
                }
                buffer.setSize (channels, size, false, false, true);
                buffer.clear();
                const double started = threadCpuSeconds();
                instance->processBlock (buffer, midi);
                cpu += threadCpuSeconds() - started;
                counted += size;
                for (int ch = 0; ch < 2; ++ch)
                    for (int j = 0; j < size; ++j)
                    {
                        const float s = buffer.getSample (ch, j);
                        notFinite += std::isfinite (s) ? 0 : 1;
                        subnormal += std::fpclassify (s) == FP_SUBNORMAL ? 1 : 0;
                    }
                samples += size;
            };

            for (int block = 0; block < 1200; ++block)
                play (sizes[(size_t) block % 4], true, playingCpu, playingSamples);

            // Every key up and the sound left to die away: a filter or
            // envelope decaying into denormals would make silence slow.
            for (int note = 48; note <= 96; ++note)
            {
                midi.clear();
                midi.addEvent (juce::MidiMessage::noteOff (1, note), 0);
                buffer.setSize (channels, 1, false, false, true);
                instance->processBlock (buffer, midi);
            }
            double ignoredCpu = 0.0;
            long ignoredSamples = 0;
            for (int block = 0; block < 240; ++block)   // 20 s of decay
                play (4096, false, ignoredCpu, ignoredSamples);
            for (int block = 0; block < 60; ++block)
                play (4096, false, silentCpu, silentSamples);

            const double playingNs = 1.0e9 * playingCpu / (double) playingSamples;
            const double silentNs = 1.0e9 * silentCpu / (double) silentSamples;
            std::printf ("     %ld samples; CPU time per sample: %.0f ns playing, %.0f ns in silence\n",
                         samples, playingNs, silentNs);

            juce::StringArray problems;
            if (notFinite > 0) problems.add (juce::String (notFinite) + " samples not finite");
            if (subnormal > 0) problems.add (juce::String (subnormal) + " denormal samples");
            if (silentNs > 4.0 * playingNs + 200.0)
                problems.add ("silence costs " + juce::String (silentNs, 0) + " ns a sample against "
                              + juce::String (playingNs, 0) + " playing: a denormal storm?");
            return problems.joinIntoString ("; ");
        }

        Result editor()
        {
            if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
                return "no display to open the editor on (run under xvfb-run)";

            auto instance = instantiate (44100.0, 512);
            if (instance == nullptr)
                return "cannot instantiate: " + lastError;
            if (! instance->hasEditor())
                return "reports no editor";

            std::unique_ptr<juce::AudioProcessorEditor> editor (instance->createEditorIfNeeded());
            if (editor == nullptr)
                return "createEditor gave nothing";

            juce::DocumentWindow window ("VorsanTembrolin " + options.format, juce::Colours::black, 0);
            window.setUsingNativeTitleBar (true);
            window.setContentNonOwned (editor.get(), true);
            window.setVisible (true);
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1500);

            juce::StringArray problems;
            if (editor->getWidth() < 100 || editor->getHeight() < 100)
                problems.add ("editor is " + juce::String (editor->getWidth()) + " x " + juce::String (editor->getHeight()));
            if (! editor->isShowing())
                problems.add ("editor is not showing");

            window.clearContentComponent();
            editor.reset();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
            instance.reset();
            return problems.joinIntoString ("; ");
        }

        Result repeatedInstances()
        {
            auto cycle = [this]
            {
                auto instance = instantiate (48000.0, 256);
                if (instance == nullptr)
                    return false;
                juce::AudioBuffer<float> buffer (2, 256);
                juce::MidiBuffer midi;
                midi.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), 0);
                instance->processBlock (buffer, midi);
                instance->releaseResources();
                return true;
            };

            for (int i = 0; i < 5; ++i)   // caches and first-use allocations settle
                if (! cycle())
                    return "cannot instantiate: " + lastError;
            const auto before = heapInUse();
            for (int i = 0; i < 50; ++i)
                if (! cycle())
                    return "cannot instantiate (round " + juce::String (i) + "): " + lastError;
            const auto after = heapInUse();
            const double grownKb = ((double) after - (double) before) / 1024.0;
            std::printf ("     heap in use: %.0f KiB before, %.0f KiB after 50 instances (%+.0f KiB)\n",
                         (double) before / 1024.0, (double) after / 1024.0, grownKb);
            // One engine alone is about 5 MB; leaking anything per instance
            // of that order shows as hundreds of megabytes.
            if (grownKb > 2048.0)
                return "the heap grew by " + juce::String (grownKb, 0) + " KiB";
            return {};
        }

        Options options;
        std::unique_ptr<juce::AudioPluginFormat> format;
        std::unique_ptr<juce::PluginDescription> description;
        juce::String lastError;
        int passed = 0, failed = 0;
    };

    // Without a window manager, X reports harmless errors that would
    // otherwise end the process.
    int ignoreXErrors (Display*, XErrorEvent*) { return 0; }
}

int main (int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        const juce::String key (argv[i]), value (argv[i + 1]);
        if (key == "--format")       options.format = value;
        else if (key == "--plugin")  options.plugin = juce::File (value);
        else if (key == "--render")  options.renderer = juce::File (value);
        else if (key == "--work")    options.work = juce::File (value);
    }
    if (options.format.isEmpty() || ! options.plugin.exists() || ! options.renderer.existsAsFile() || options.work == juce::File())
    {
        std::fprintf (stderr, "usage: vorsan-validate --format LV2|VST3 --plugin BUNDLE --render VORSAN-RENDER --work DIR\n");
        return 2;
    }
    options.work.createDirectory();

    XSetErrorHandler (ignoreXErrors);
    const juce::ScopedJuceInitialiser_GUI framework;
    return Validator (options).run();
}
