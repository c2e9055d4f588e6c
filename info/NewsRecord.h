#pragma once

#include <juce_core/juce_core.h>

// The news client's record "memory.bin": exactly twelve bytes, three 32-bit
// signed integers in the machine's byte order and no header.
struct NewsRecord
{
    juce::int32 failedRequests = 0;
    juce::int32 startsSinceNews = 0;
    juce::int32 eulaShown = 0;

    static constexpr const char* fileName = "memory.bin";
    static constexpr int size = 12;

    // A missing or unreadable file, or one of any other size, reads as all
    // zeros. A file of another size is not read at all.
    static NewsRecord load (const juce::File& file);

    // Writes the record beside the file and renames it over the file, so
    // that the file is always the old record or the new one, whole. Missing
    // folders are created. Returns false when it could not be written.
    bool save (const juce::File& file) const;
};
