#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Every heap allocation of this program passes through these replacements;
// while `counting` is set on a thread, the allocations made on it are counted.
namespace
{
    thread_local bool counting = false;
    std::atomic<long> allocations { 0 };

    void* allocate (std::size_t size)
    {
        if (counting)
            ++allocations;
        if (void* p = std::malloc (size == 0 ? 1 : size))
            return p;
        throw std::bad_alloc();
    }

    void* allocateAligned (std::size_t size, std::align_val_t alignment)
    {
        if (counting)
            ++allocations;
        const auto align = (std::size_t) alignment;
        if (void* p = std::aligned_alloc (align, (size + align - 1) / align * align))
            return p;
        throw std::bad_alloc();
    }
}

// The framework's containers (Array, HeapBlock, so MidiBuffer too) call
// malloc and realloc directly, not operator new: those are counted as well,
// passing the work on to the C library's own allocator.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);

    void* malloc (std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_realloc (p, size);
    }
}

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }

namespace
{
    struct CountAllocations
    {
        CountAllocations() { allocations = 0; counting = true; }
        ~CountAllocations() { counting = false; }
        long count() const { return allocations.load(); }
    };
}

TEST (Allocation, CounterSeesAllocations)
{
    CountAllocations counter;
    auto* p = new int (3);
    delete p;
    juce::String grown ("some text that is long enough to need the heap");
    const long byNew = counter.count();
    EXPECT_GE (byNew, 2);

    juce::MidiBuffer buffer;   // grows by realloc
    for (int i = 0; i < 100; ++i)
        buffer.addEvent (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100), i);
    EXPECT_GT (counter.count(), byNew);
}

TEST (Allocation, ProcessBlockDoesNotAllocate)
{
    for (double rate : { 44100.0, 96000.0, 22050.0 })
    {
        SCOPED_TRACE (rate);
        VorsanTembrolinAudioProcessor processor;
        processor.params[4]->setValueNotifyingHost (1.0f);
        processor.params[9]->setValueNotifyingHost (1.0f);
        processor.params[16]->setValueNotifyingHost (0.7f);
        processor.prepareToPlay (rate, 512);

        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi, shown;
        midi.ensureSize (1024);
        shown.ensureSize (8192);
        const juce::uint8 sysex[] = { 0xf0, 0x43, 0x10, 0x4c, 0x00, 0x00, 0x7e, 0x00, 0xf7, 0, 0, 0 };

        CountAllocations counter;
        for (int block = 0; block < 200; ++block)
        {
            midi.clear();
            midi.addEvent (juce::MidiMessage::noteOn (1, 48 + block % 49, (juce::uint8) 100), block % 512);
            midi.addEvent (juce::MidiMessage::noteOff (1, 48 + (block + 20) % 49), 3);
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 0), 9);
            midi.addEvent (sysex, (int) sizeof (sysex) - 3, 12);
            processor.processBlock (buffer, midi);
            if (block % 4 == 0)
                processor.takeMidiDisplayEvents (shown);
            processor.ProcessMidiMessage (juce::MidiMessage::noteOn (1, 60, (juce::uint8) 127));
            processor.SetParameter (block % 21, block % 2 == 0 ? 0 : 1);
        }
        EXPECT_EQ (counter.count(), 0);
        EXPECT_GT (buffer.getMagnitude (0, 512), 0.0f);
    }
}

TEST (Allocation, ProcessBlockDoesNotAllocateWhenNobodyTakesTheMidiCopies)
{
    // A plug-in with its editor closed: the copies for the on-screen keyboard
    // pile up for thousands of blocks, far past their capacity.
    VorsanTembrolinAudioProcessor processor;
    processor.prepareToPlay (48000.0, 64);
    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    midi.ensureSize (1024);

    CountAllocations counter;
    for (int block = 0; block < 5000; ++block)
    {
        midi.clear();
        for (int i = 0; i < 4; ++i)
            midi.addEvent (juce::MidiMessage::noteOn (1, 48 + (block + i) % 49, (juce::uint8) 90), i * 8);
        midi.addEvent (juce::MidiMessage::noteOff (1, 48 + block % 49), 60);
        processor.processBlock (buffer, midi);
    }
    EXPECT_EQ (counter.count(), 0);
    EXPECT_LE (processor.midiDisplayBuffer.data.size(), VorsanTembrolinAudioProcessor::midiDisplayCapacity);
}
