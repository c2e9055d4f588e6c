#include "core/PluginProcessor.h"
#include "core/SavedState.h"

// The sound is saved as
//   <PRESET><PROGRAM/><PARAM NUM=".." ID=".." ValueMidi=".." ValueFloat="..">name</PARAM>...</PRESET>
// inside the framework's binary XML envelope. Only "ID" and "ValueMidi" are
// read back; the rest is there for people reading the file.

void VorsanTembrolinAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    juce::XmlElement preset ("PRESET");
    preset.createNewChildElement ("PROGRAM");

    for (int row = 0; row < NumFxParams; ++row)
    {
        const KvoParameter& parameter = *params[row];
        auto* element = preset.createNewChildElement ("PARAM");
        element->setAttribute ("NUM", row);
        element->setAttribute ("ID", juce::String (FxParams[row].id));
        element->setAttribute ("ValueMidi", rawFromNormalised (FxParams[row].maxValue, parameter.getValue()));
        element->setAttribute ("ValueFloat", (double) parameter.getValue());
        element->addTextElement (juce::String::fromUTF8 (FxParams[row].name));
    }

    destData.reset();
    copyXmlToBinary (preset, destData);
}

namespace
{
    int rowWithId (const juce::String& id)
    {
        for (int row = 0; row < NumFxParams; ++row)
            if (id == FxParams[row].id)
                return row;

        return -1;
    }

    // The framework's XML parser goes one call deeper for every level of
    // nesting, so a few hundred kilobytes of nested elements overflow the
    // stack. A saved sound has 23 elements; a state with more element tags
    // than this (and so, perhaps, nested that deep) is treated as unreadable
    // and never parsed. Every element begins with '<' followed by neither
    // '/', '!' nor '?', so the count is never lower than the parser's.
    constexpr int mostElements = 256;

    bool hasTooManyElements (const char* text, size_t length)
    {
        int tags = 0;
        for (size_t i = 0; i + 1 < length; ++i)
            if (text[i] == '<' && text[i + 1] != '/' && text[i + 1] != '!' && text[i + 1] != '?'
                && ++tags > mostElements)
                return true;
        return false;
    }

    // The XML text inside the binary envelope, as the framework takes it.
    bool envelopedTextHasTooManyElements (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes <= 8)
            return false;
        const auto textLength = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
        if (textLength <= 0)
            return false;
        return hasTooManyElements (static_cast<const char*> (data) + 8, (size_t) juce::jmin (sizeInBytes - 8, textLength));
    }
}

std::unique_ptr<juce::XmlElement> parseSavedState (const void* data, int sizeInBytes)
{
    if (envelopedTextHasTooManyElements (data, sizeInBytes))
        return {};

    return juce::AudioProcessor::getXmlFromBinary (data, sizeInBytes);
}

void VorsanTembrolinAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto preset = parseSavedState (data, sizeInBytes);

    if (preset == nullptr || ! preset->getTagName().equalsIgnoreCase ("PRESET"))
        return;

    for (auto* element : preset->getChildIterator())
    {
        if (! element->getTagName().equalsIgnoreCase ("PARAM"))
            continue;

        const int row = rowWithId (element->getStringAttribute ("ID"));
        if (row < 0)
            continue;

        // A damaged or hand-edited value is clamped to the row's range, so
        // that the control and the engine always agree.
        const int maxValue = FxParams[row].maxValue;
        const int raw = juce::jlimit (0, maxValue, element->getIntAttribute ("ValueMidi"));
        params[row]->setValueNotifyingHost (normalisedFromRaw (raw, maxValue));
    }
}
