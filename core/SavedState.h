#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// The document of a saved state: unwrapped from the framework's binary
// envelope and parsed, or null when the data cannot be read (no envelope,
// no XML, text that is not UTF-8, or more elements than a saved sound could
// have; see PluginState.cpp). Used by the processor and by tools that check
// a state.
std::unique_ptr<juce::XmlElement> parseSavedState (const void* data, int sizeInBytes);
