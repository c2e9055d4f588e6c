#include "core/PluginProcessor.h"

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
}

void VorsanTembrolinAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const std::unique_ptr<juce::XmlElement> preset (getXmlFromBinary (data, sizeInBytes));

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
