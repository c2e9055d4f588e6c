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
    EXPECT_GE (counter.count(), 2);
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
