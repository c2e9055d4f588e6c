#include "core/PluginProcessor.h"

using KvoParameter = VorsanTembrolinAudioProcessor::KvoParameter;

KvoParameter::KvoParameter (VorsanTembrolinAudioProcessor& ownerToUse, int maxValueToUse, int defaultValueToUse,
                            const juce::String& idToUse, const juce::String& nameToUse)
    : juce::RangedAudioParameter (juce::ParameterID { idToUse, 1 }, nameToUse),
      owner (ownerToUse),
      maxValue (maxValueToUse),
      value (normalisedFromRaw (defaultValueToUse, maxValueToUse)),
      defaultValue (normalisedFromRaw (defaultValueToUse, maxValueToUse)),
      id (idToUse),
      name (nameToUse),
      rawRange (0.0f, (float) maxValueToUse, 1.0f)
{
}

KvoParameter::~KvoParameter() = default;

float KvoParameter::getValue() const
{
    return value.load (std::memory_order_relaxed);
}

// Not clamped: the raw value is range-tested by the processor.
// Hosts set parameters from several threads at once (automation on the audio
// thread, the user interface, a state restore on a worker): storing and
// forwarding as one step leaves the engine with the value that stays.
void KvoParameter::setValue (float newValue)
{
    const juce::SpinLock::ScopedLockType inOrder (owner.parameterWriteLock);
    value.store (newValue, std::memory_order_relaxed);
    owner.SetParameter (getParameterIndex(), rawFromNormalised (maxValue, newValue));
}

float KvoParameter::getDefaultValue() const { return defaultValue; }

juce::String KvoParameter::getName (int) const { return name; }

juce::String KvoParameter::getLabel() const { return {}; }

float KvoParameter::getValueForText (const juce::String& text) const
{
    return text.getFloatValue();
}

bool KvoParameter::isMetaParameter() const { return true; }

juce::AudioProcessorParameter::Category KvoParameter::getCategory() const
{
    return genericParameter;
}

const juce::NormalisableRange<float>& KvoParameter::getNormalisableRange() const
{
    return rawRange;
}
