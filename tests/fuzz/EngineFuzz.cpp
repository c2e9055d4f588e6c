// Drives one engine with a stream of events decoded from the input: keys
// (on the keyboard or any number), raw parameter values (0..127 or any
// number, also for unknown rows), stretches of samples, resets, readouts of
// any float (NaN and infinities included) and a rebuild at the other engine
// rate with every value sent again, as the processor does. Every sample must
// be finite; the sanitizers catch reads and writes out of bounds and
// undefined arithmetic.
//
// Input, read from the front (the seeds in corpus/fuzz_engine are written
// by hand in it):
//   first byte       bit 0: engine at 48000 Hz instead of 44100 Hz
//   then events, each an opcode byte (taken modulo 8) and its arguments:
//   0, 1  key down   number, velocity byte
//   2     key up     number
//   3     parameter  row number, raw value
//   4     render     2 bytes little-endian: 1 + value % 4096 samples
//   5     reset
//   6     readout    row number, 4 bytes: the bits of a float
//   7     rebuild at the other rate
// A "number" is one byte: 0..127 is the value itself, 128..255 means the
// value is the following 4 bytes, a little-endian int.
#include "engine/VorsanSynth.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

namespace
{
    // Samples rendered per input at most, so that one input stays quick. A
    // reset or a rebuild costs as much as this many samples (the chorus
    // warms up with 4096 steps), so that it is charged like them.
    constexpr int sampleBudget = 12000;
    constexpr int rebuildCost = 4096;

    class Reader
    {
    public:
        Reader (const uint8_t* data, size_t size) : data (data), size (size) {}

        bool atEnd() const { return position >= size; }

        uint8_t byte() { return position < size ? data[position++] : 0; }

        uint32_t bits (int bytes)
        {
            uint32_t value = 0;
            for (int i = 0; i < bytes; ++i)
                value |= (uint32_t) byte() << (8 * i);
            return value;
        }

        int number()
        {
            const uint8_t first = byte();
            return first < 128 ? first : (int) bits (4);
        }

        float anyFloat()
        {
            const uint32_t pattern = bits (4);
            float value;
            std::memcpy (&value, &pattern, sizeof (value));
            return value;
        }

    private:
        const uint8_t* data;
        size_t size;
        size_t position = 0;
    };

    [[noreturn]] void fail (const char* what, double value)
    {
        std::fprintf (stderr, "engine fuzz: %s (%g)\n", what, value);
        std::abort();
    }

    // A new engine for every input, built in the same memory each time: the
    // engine is megabytes large, and fresh pages from the system for every
    // input would cost more than the input itself.
    class EngineSlot
    {
    public:
        ~EngineSlot() { clear(); }

        VorsanSynth* build (float rate)
        {
            clear();
            engine = new (storage) VorsanSynth (rate);
            return engine;
        }

        void clear()
        {
            if (engine != nullptr)
                engine->~VorsanSynth();
            engine = nullptr;
        }

    private:
        alignas (VorsanSynth) static inline unsigned char storage[sizeof (VorsanSynth)];
        VorsanSynth* engine = nullptr;
    };

    struct Player
    {
        EngineSlot slot;
        VorsanSynth* engine = nullptr;
        std::optional<int> sent[VorsanSynth::numParameters];   // last raw value per row
        int samplesLeft = sampleBudget;

        void render (int count)
        {
            for (; count > 0 && samplesLeft > 0; --count, --samplesLeft)
            {
                const float sample = engine->Process();
                if (! std::isfinite (sample))
                    fail ("a sample is not finite", sample);
            }
        }

        void setParameter (int row, int raw)
        {
            engine->setParameterSynth (row, raw);
            if (row >= 0 && row < VorsanSynth::numParameters)
                sent[row] = raw;
        }

        void readout (int row, float value)
        {
            // Exactly the documented capacity on the heap, so that a longer
            // text is caught by the address sanitizer.
            auto text = std::make_unique<char[]> (VorsanSynth::readoutCapacity);
            std::memset (text.get(), 'x', VorsanSynth::readoutCapacity - 1);
            text[VorsanSynth::readoutCapacity - 1] = 0;
            VorsanSynth::GetParameterReadout (row, value, text.get());
            if (std::strlen (text.get()) >= (size_t) VorsanSynth::readoutCapacity)
                fail ("a readout is not terminated", row);
        }

        void rebuild (float rate)
        {
            engine = slot.build (rate);
            for (int row = 0; row < VorsanSynth::numParameters; ++row)
                if (sent[row].has_value())
                    engine->setParameterSynth (row, *sent[row]);
        }
    };
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    Reader input (data, size);
    Player player;
    bool fortyEight = (input.byte() & 1) != 0;
    player.rebuild (fortyEight ? 48000.0f : 44100.0f);

    while (! input.atEnd() && player.samplesLeft > 0)
    {
        switch (input.byte() % 8)
        {
            case 0:
            case 1:
            {
                const int note = input.number();
                player.engine->NoteOn (note, input.byte());
                break;
            }
            case 2:
                player.engine->NoteOff (input.number());
                break;
            case 3:
            {
                const int row = input.number();
                player.setParameter (row, input.number());
                break;
            }
            case 4:
                player.render (1 + (int) (input.bits (2) % 4096));
                break;
            case 5:
                player.engine->Reset();
                player.samplesLeft -= rebuildCost;
                break;
            case 6:
            {
                const int row = input.number();
                player.readout (row, input.anyFloat());
                break;
            }
            case 7:
                fortyEight = ! fortyEight;
                player.rebuild (fortyEight ? 48000.0f : 44100.0f);
                player.samplesLeft -= rebuildCost;
                break;
        }
    }

    // The last events are heard too.
    player.render (1024);
    return 0;
}
