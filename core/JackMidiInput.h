#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstdint>
#include <memory>

// A JACK MIDI input port for the stand-alone application, so that keyboards
// routed through a JACK server (or PipeWire's JACK) play the instrument; the
// framework's JACK support carries audio only.
//
// The port belongs to a client of its own, "VorsanTembrolin MIDI", with one
// port "in", connected at start to every physical MIDI source. libjack is
// loaded at run time: without it, or without a running server, `open` fails
// quietly and the application plays from ALSA as before.
//
// JACK's thread pushes the short messages (notes and the like; system
// exclusive is skipped) into a lock-free queue, and the audio thread takes
// them out at the start of each block. When the queue is full, further
// messages are dropped.
class JackMidiInput
{
public:
    static constexpr int capacity = 512;

    struct ShortMessage
    {
        std::uint8_t bytes[3];
        std::uint8_t size;
    };

    // Returns null when there is no libjack or no server to connect to.
    static std::unique_ptr<JackMidiInput> open (const char* clientName);
    ~JackMidiInput();

    // Audio thread: hands every queued message to `handle (const uint8_t*, int)`.
    template <typename Handler>
    void drain (Handler&& handle)
    {
        const auto scope = fifo.read (fifo.getNumReady());
        for (int i = 0; i < scope.blockSize1; ++i)
            handle (queue[(size_t) (scope.startIndex1 + i)].bytes, (int) queue[(size_t) (scope.startIndex1 + i)].size);
        for (int i = 0; i < scope.blockSize2; ++i)
            handle (queue[(size_t) (scope.startIndex2 + i)].bytes, (int) queue[(size_t) (scope.startIndex2 + i)].size);
    }

    // JACK's thread (and tests): queues one message, or drops it when full.
    void push (const std::uint8_t* bytes, int size);

private:
    struct Library;
    JackMidiInput() = default;
    static int processCallback (std::uint32_t numFrames, void* self);

    std::unique_ptr<Library> library;
    void* client = nullptr;
    void* port = nullptr;
    juce::AbstractFifo fifo { capacity };
    std::array<ShortMessage, (size_t) capacity> queue {};

    JUCE_DECLARE_NON_COPYABLE (JackMidiInput)
};
