#include <gtest/gtest.h>

#include <juce_audio_formats/juce_audio_formats.h>

#include "engine/VorsanSynth.h"
#include "core/PluginProcessor.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

#ifdef VORSAN_RENDER_PATH

// Runs the renderer as a user would and checks its exit code, its messages
// and the files it leaves behind.
namespace
{
    struct Run { int exitCode; juce::String output; };

    Run runRenderer (const juce::StringArray& arguments)
    {
        juce::StringArray command { VORSAN_RENDER_PATH };
        command.addArray (arguments);
        juce::ChildProcess process;
        if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return { -1, "could not start" };
        const auto output = process.readAllProcessOutput();
        process.waitForProcessToFinish (60000);
        return { (int) process.getExitCode(), output };
    }

    juce::File demo (const char* name) { return juce::File (VORSAN_DEMO_DIR).getChildFile (name); }

    class RenderTool : public testing::Test
    {
    protected:
        void SetUp() override { folder.createDirectory(); }
        void TearDown() override { folder.deleteRecursively(); }

        juce::StringArray filesInFolder() const
        {
            juce::StringArray names;
            for (const auto& f : folder.findChildFiles (juce::File::findFiles, false))
                names.add (f.getFileName());
            return names;
        }

        juce::File folder = juce::File::createTempFile ("vorsan-render-test");
    };

    // A one-track file at 480 ticks per quarter note (120 beats per minute):
    // `note` from the start to `offTick`.
    void writeOneNote (const juce::File& file, int note, int offTick)
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8) 100), 0);
        track.addEvent (juce::MidiMessage::noteOff (1, note), offTick);
        juce::MidiFile midiFile;
        midiFile.setTicksPerQuarterNote (480);
        midiFile.addTrack (track);
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (midiFile.writeTo (out));
    }

    std::unique_ptr<juce::AudioFormatReader> openWav (const juce::File& file)
    {
        juce::WavAudioFormat wav;
        return std::unique_ptr<juce::AudioFormatReader> (wav.createReaderFor (new juce::FileInputStream (file), true));
    }
}

TEST_F (RenderTool, RendersTheDemoTheSameEveryTime)
{
    const auto first = folder.getChildFile ("first.wav");
    const auto second = folder.getChildFile ("second.wav");
    const auto a = runRenderer ({ "--state", demo ("demo.state").getFullPathName(),
                                  demo ("demo.mid").getFullPathName(), first.getFullPathName() });
    ASSERT_EQ (a.exitCode, 0) << a.output;
    EXPECT_TRUE (a.output.contains ("wrote")) << a.output;
    const auto b = runRenderer ({ "--state", demo ("demo.state").getFullPathName(), "--block", "100",
                                  demo ("demo.mid").getFullPathName(), second.getFullPathName() });
    ASSERT_EQ (b.exitCode, 0) << b.output;

    // All notes of a block take effect at its start, so another block size
    // moves them slightly; the same settings give the same bytes.
    const auto c = runRenderer ({ "--state", demo ("demo.state").getFullPathName(),
                                  demo ("demo.mid").getFullPathName(), second.getFullPathName() });
    ASSERT_EQ (c.exitCode, 0) << c.output;
    juce::MemoryBlock firstBytes, secondBytes;
    first.loadFileAsData (firstBytes);
    second.loadFileAsData (secondBytes);
    EXPECT_GT (firstBytes.getSize(), 1000u);
    EXPECT_TRUE (firstBytes == secondBytes);
    EXPECT_EQ (filesInFolder().size(), 2);   // no temporary files left

    auto reader = openWav (first);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->sampleRate, 44100.0);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->bitsPerSample, 16u);
    // Six bars at 100 beats per minute (14.4 s) and a two-second tail.
    EXPECT_NEAR ((double) reader->lengthInSamples / 44100.0, 16.4, 0.05);

    juce::AudioBuffer<float> audio (2, (int) reader->lengthInSamples);
    reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
    const float level = audio.getRMSLevel (0, 0, audio.getNumSamples());
    EXPECT_GT (level, 0.01f);
    EXPECT_LT (audio.getMagnitude (0, audio.getNumSamples()), 1.0f);
    for (int j = 0; j < audio.getNumSamples(); j += 97)
        ASSERT_EQ (audio.getSample (0, j), audio.getSample (1, j)) << j;
    // Silence before the first note is out of reach (the chorus keeps
    // ringing a little), but the tail dies away.
    EXPECT_LT (audio.getRMSLevel (0, audio.getNumSamples() - 4410, 4410), level * 0.1f);
}

TEST_F (RenderTool, MatchesTheProcessorPlayedDirectly)
{
    // A one-note file rendered at 96 kHz in 32-bit float equals what the
    // processor gives for the same note in the same blocks.
    const auto mid = folder.getChildFile ("a.mid");
    writeOneNote (mid, 69, 960);   // one second

    const auto wav = folder.getChildFile ("a.wav");
    const auto run = runRenderer ({ "--rate", "96000", "--tail", "0.5", "--float", "--block", "256",
                                    mid.getFullPathName(), wav.getFullPathName() });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    auto reader = openWav (wav);
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->bitsPerSample, 32u);
    EXPECT_TRUE (reader->usesFloatingPointData);
    ASSERT_EQ (reader->lengthInSamples, 144000);
    juce::AudioBuffer<float> rendered (2, 144000);
    reader->read (&rendered, 0, 144000, 0, true, true);

    VorsanTembrolinAudioProcessor processor;
    processor.prepareToPlay (96000, 256);
    juce::AudioBuffer<float> block (2, 256);
    for (int start = 0; start < 144000; start += 256)
    {
        juce::MidiBuffer midi;
        if (start == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 69, (juce::uint8) 100), 0);
        if (start <= 96000 && 96000 < start + 256)
            midi.addEvent (juce::MidiMessage::noteOff (1, 69), 96000 - start);
        processor.processBlock (block, midi);
        for (int j = 0; j < 256 && start + j < 144000; ++j)
            ASSERT_EQ (rendered.getSample (0, start + j), block.getSample (0, j)) << start + j;
    }
}

TEST_F (RenderTool, BadInputGetsAOneLineErrorAndNoOutputFile)
{
    const auto notMidi = folder.getChildFile ("notes.mid");
    notMidi.replaceWithText ("these are not notes");
    const auto unreadable = folder.getChildFile ("locked.mid");
    demo ("demo.mid").copyFileTo (unreadable);
    unreadable.setReadOnly (true);
    ::chmod (unreadable.getFullPathName().toRawUTF8(), 0);
    const auto badState = folder.getChildFile ("bad.state");
    badState.replaceWithText ("<PRESET/>");   // XML, but not in the saved envelope
    // Nested deeper than the framework's parser can go (it used to crash),
    // and a file far larger than any state.
    const auto deepState = folder.getChildFile ("deep.state");
    {
        const auto text = "<PRESET>" + juce::String::repeatedString ("<a>", 100000);
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt (0x21324356);
        out.writeInt ((int) text.getNumBytesAsUTF8());
        out.write (text.toRawUTF8(), text.getNumBytesAsUTF8());
        out.flush();
        deepState.replaceWithData (block.getData(), block.getSize());
    }
    const auto hugeState = folder.getChildFile ("huge.state");
    demo ("demo.state").copyFileTo (hugeState);
    hugeState.appendData (juce::MemoryBlock (2 * 1024 * 1024, true).getData(), 2 * 1024 * 1024);
    const auto out = folder.getChildFile ("out.wav");
    const auto mid = demo ("demo.mid").getFullPathName();

    struct Case { juce::StringArray arguments; const char* expected; };
    const Case cases[] = {
        { { folder.getChildFile ("missing.mid").getFullPathName(), out.getFullPathName() }, "no such file" },
        { { notMidi.getFullPathName(), out.getFullPathName() }, "not a standard MIDI file" },
        { { "--state", badState.getFullPathName(), mid, out.getFullPathName() }, "not a saved VorsanTembrolin state" },
        { { "--state", folder.getChildFile ("none.state").getFullPathName(), mid, out.getFullPathName() }, "cannot read state" },
        { { "--state", deepState.getFullPathName(), mid, out.getFullPathName() }, "not a saved VorsanTembrolin state" },
        { { "--state", hugeState.getFullPathName(), mid, out.getFullPathName() }, "not a saved VorsanTembrolin state" },
        { { mid, folder.getChildFile ("no/such/folder/out.wav").getFullPathName() }, "folder does not exist" },
        { { mid, folder.getFullPathName() }, "it is a folder" },
        { { "--rate", "7999", mid, out.getFullPathName() }, "8000 to 384000" },
        { { "--rate", "384001", mid, out.getFullPathName() }, "8000 to 384000" },
        { { "--rate", "44.1k", mid, out.getFullPathName() }, "8000 to 384000" },
        { { "--block", "0", mid, out.getFullPathName() }, "block size" },
        { { "--tail", "-1", mid, out.getFullPathName() }, "tail" },
        { { "--max-length", "0", mid, out.getFullPathName() }, "maximum length" },
        { { "--max-length", "86401", mid, out.getFullPathName() }, "maximum length" },
        { { "--max-length", "10", mid, out.getFullPathName() }, "lasts 0:17, longer than the limit of 0:10" },
        { { "--rate" }, "needs a value" },
        { { "--loud", mid, out.getFullPathName() }, "unknown option" },
        { { mid }, "expected IN.mid and OUT.wav" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.arguments.joinIntoString (" "));
        const auto run = runRenderer (c.arguments);
        EXPECT_NE (run.exitCode, 0);
        EXPECT_TRUE (run.output.startsWith ("vorsan-render: ")) << run.output;
        EXPECT_TRUE (run.output.contains (c.expected)) << run.output;
        EXPECT_EQ (run.output.trimEnd().indexOfChar ('\n'), -1) << run.output;
        EXPECT_FALSE (out.exists());
    }

    if (geteuid() != 0)   // root reads everything
    {
        const auto run = runRenderer ({ unreadable.getFullPathName(), out.getFullPathName() });
        EXPECT_NE (run.exitCode, 0);
        EXPECT_TRUE (run.output.startsWith ("vorsan-render: cannot read")) << run.output;
    }
    ::chmod (unreadable.getFullPathName().toRawUTF8(), 0644);

    // An output file that exists already is left alone when the render fails.
    out.replaceWithText ("keep me");
    EXPECT_NE (runRenderer ({ notMidi.getFullPathName(), out.getFullPathName() }).exitCode, 0);
    EXPECT_EQ (out.loadFileAsString(), "keep me");
    EXPECT_EQ (filesInFolder().size(), 6);   // the inputs and the kept file only
}

TEST_F (RenderTool, RefusesAFileThatWouldRenderForHours)
{
    // One note, then a delta time of 0x0FFFFFFF ticks before its release:
    // 37 bytes that once made the renderer write 77 hours of audio.
    const char hugeDelta[] = "MThd\0\0\0\6\0\0\0\1\x01\xe0" "MTrk\0\0\0\x0f\0\x90\x3c\x64"
                             "\xff\xff\xff\x7f\x80\x3c\x40\0\xff\x2f\0";
    static_assert (sizeof (hugeDelta) == 37 + 1);
    const auto mid = folder.getChildFile ("huge.mid");
    ASSERT_TRUE (mid.replaceWithData (hugeDelta, 37));
    const auto out = folder.getChildFile ("huge.wav");

    const auto start = std::chrono::steady_clock::now();
    const auto run = runRenderer ({ mid.getFullPathName(), out.getFullPathName() });
    EXPECT_LT (std::chrono::steady_clock::now() - start, std::chrono::seconds (20));
    EXPECT_NE (run.exitCode, 0);
    EXPECT_EQ (run.output.trimEnd(), "vorsan-render: " + mid.getFullPathName()
                                     + " lasts 77:40:23, longer than the limit of 1:00:00 (--max-length raises it)");
    EXPECT_EQ (filesInFolder(), juce::StringArray { "huge.mid" });
}

TEST_F (RenderTool, MaxLengthRaisesOrLowersTheLimit)
{
    // The demo lasts 16.4 s with its tail.
    const auto mid = demo ("demo.mid").getFullPathName();
    const auto out = folder.getChildFile ("out.wav");
    EXPECT_NE (runRenderer ({ "--max-length", "16", mid, out.getFullPathName() }).exitCode, 0);
    EXPECT_FALSE (out.exists());
    const auto run = runRenderer ({ "--max-length", "16.5", mid, out.getFullPathName() });
    EXPECT_EQ (run.exitCode, 0) << run.output;
    EXPECT_TRUE (out.existsAsFile());
}

namespace
{
    // Starts the renderer with its error output in `errors`; returns its
    // process id, or -1.
    pid_t startRenderer (const juce::StringArray& arguments, const juce::File& errors)
    {
        juce::StringArray command { VORSAN_RENDER_PATH };
        command.addArray (arguments);
        std::vector<char*> argv;
        for (auto& argument : command)
            argv.push_back (const_cast<char*> (argument.toRawUTF8()));
        argv.push_back (nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init (&actions);
        posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errors.getFullPathName().toRawUTF8(),
                                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = -1;
        const int result = posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy (&actions);
        return result == 0 ? pid : -1;
    }

    // Waits up to `seconds` for the process to end; its wait status, or -1.
    int waitForEnd (pid_t pid, int seconds)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (seconds);
        int status = 0;
        while (waitpid (pid, &status, WNOHANG) == 0)
        {
            if (std::chrono::steady_clock::now() > deadline)
            {
                kill (pid, SIGKILL);
                waitpid (pid, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for (std::chrono::milliseconds (10));
        }
        return status;
    }
}

TEST_F (RenderTool, AStoppedRenderLeavesNoFileBehind)
{
    // A note held for 50 minutes: far longer to render than the test waits.
    const auto mid = folder.getChildFile ("long.mid");
    writeOneNote (mid, 60, 50 * 60 * 2 * 480);
    const auto errors = juce::File::createTempFile ("render-errors");

    struct Case { int signal; const char* name; };
    for (const auto c : { Case { SIGINT, "SIGINT" }, Case { SIGTERM, "SIGTERM" } })
    {
        SCOPED_TRACE (c.name);
        const pid_t pid = startRenderer ({ "--rate", "8000", mid.getFullPathName(),
                                           folder.getChildFile ("long.wav").getFullPathName() }, errors);
        ASSERT_GT (pid, 0);

        // Stopped once the temporary file is being written.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (60);
        while (filesInFolder().size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for (std::chrono::milliseconds (5));
        EXPECT_EQ (filesInFolder().size(), 2) << filesInFolder().joinIntoString (" ");
        kill (pid, c.signal);

        const int status = waitForEnd (pid, 60);
        ASSERT_NE (status, -1) << "the renderer did not stop";
        EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == c.signal) << status;
        EXPECT_EQ (filesInFolder(), juce::StringArray { "long.mid" });
        EXPECT_EQ (errors.loadFileAsString().trimEnd(),
                   juce::String ("vorsan-render: stopped by ") + c.name + "; nothing was written");
    }
    errors.deleteFile();
}

TEST (RenderToolHelp, ExplainsItsOptions)
{
    const auto run = runRenderer ({ "--help" });
    EXPECT_EQ (run.exitCode, 0);
    for (auto option : { "--rate", "--block", "--state", "--tail", "--max-length", "IN.mid OUT.wav" })
        EXPECT_TRUE (run.output.contains (option)) << option;
}

#endif
