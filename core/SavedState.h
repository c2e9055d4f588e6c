#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// The document of a saved state: unwrapped from the framework's binary
// envelope and parsed, or null when the data cannot be read: no envelope,
// no XML, or text that the framework's parser cannot take safely (not
// strictly UTF-8, more elements than a saved sound could have, a processing
// instruction after the XML declaration, or an "&" that does not begin a
// whole character reference; see PluginState.cpp). Used by the processor
// and by tools that check a state.
std::unique_ptr<juce::XmlElement> parseSavedState (const void* data, int sizeInBytes);
