#include "core/PluginProcessor.h"
#include "core/SavedState.h"

#include <cctype>
#include <cstring>

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

    bool textAt (const char* text, size_t length, size_t at, const char* word)
    {
        const size_t wordLength = std::strlen (word);
        return at + wordLength <= length && std::memcmp (text + at, word, wordLength) == 0;
    }

    // The framework's UTF-8 reading trusts the bytes it reads. It steps over
    // as many bytes as a character's first byte announces without looking at
    // them, so a character cut short at the end made its XML parser read past
    // the end. And it decodes a stray or overlong sequence to plain ASCII:
    // "<" followed by the byte 0xBF reads as "<?", which the checks below,
    // made on bytes, cannot see (its parser then looped for ever). The
    // framework writes a state as UTF-8; text that is not strictly UTF-8 is
    // treated as unreadable.
    bool isStrictUtf8 (const char* text, size_t length)
    {
        for (size_t i = 0; i < length;)
        {
            const auto first = (unsigned char) text[i];

            if (first < 0x80)
            {
                ++i;
                continue;
            }

            // The shortest form only, no surrogates, nothing beyond U+10FFFF.
            size_t following = 0;
            unsigned char lowestSecond = 0x80, highestSecond = 0xbf;

            if (first >= 0xc2 && first <= 0xdf)      following = 1;
            else if (first == 0xe0)                  { following = 2; lowestSecond = 0xa0; }
            else if (first == 0xed)                  { following = 2; highestSecond = 0x9f; }
            else if (first >= 0xe1 && first <= 0xef) following = 2;
            else if (first == 0xf0)                  { following = 3; lowestSecond = 0x90; }
            else if (first == 0xf4)                  { following = 3; highestSecond = 0x8f; }
            else if (first >= 0xf1 && first <= 0xf3) following = 3;
            else                                     return false;

            if (following > length - i - 1)
                return false;

            const auto second = (unsigned char) text[i + 1];
            if (second < lowestSecond || second > highestSecond)
                return false;

            for (size_t k = 2; k <= following; ++k)
                if (((unsigned char) text[i + k] & 0xc0) != 0x80)
                    return false;

            i += 1 + following;
        }
        return true;
    }

    // After a processing instruction ("<?...?>") inside an element, the
    // framework's parser steps back to read text and skips the instruction
    // again, for ever, when text follows it. A state writes only the XML
    // declaration at its very beginning; one with "<?" anywhere after that
    // is treated as unreadable.
    bool hasInstructionAfterTheStart (const char* text, size_t length)
    {
        size_t i = 0;
        while (i < length && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
            ++i;
        if (textAt (text, length, i, "<?"))
            for (i += 2; i < length && ! textAt (text, length, i, "?>"); ++i) {}

        for (++i; i < length; ++i)
            if (textAt (text, length, i, "<?"))
                return true;
        return false;
    }

    // Character references the framework's parser reads safely: the five
    // named ones and a number, each closed by ";". Anything else after "&"
    // it takes as the name of an entity of its own, up to the next ";", and
    // when that name begins with "<" it parses the name as XML, where a
    // reference cut short by the ";" made it step past the end of the name
    // (found by fuzzing); a hexadecimal reference cut short by the end of
    // the text did the same. A saved state holds only the references the
    // framework writes; one with any other "&" is treated as unreadable.
    bool isCharacterReference (const char* text, size_t length, size_t at)
    {
        const auto startsWith = [&] (const char* name)
        {
            const auto nameLength = std::strlen (name);
            if (at + nameLength > length)
                return false;
            for (size_t k = 0; k < nameLength; ++k)
                if (std::tolower ((unsigned char) text[at + k]) != name[k])
                    return false;
            return true;
        };

        for (const auto* name : { "&amp;", "&quot;", "&apos;", "&lt;", "&gt;" })
            if (startsWith (name))
                return true;

        size_t i = at + 1;
        if (i >= length || text[i] != '#')
            return false;

        const bool hexadecimal = i + 1 < length && (text[i + 1] == 'x' || text[i + 1] == 'X');
        i += hexadecimal ? 2 : 1;
        const size_t firstDigit = i;

        while (i < length && (hexadecimal ? std::isxdigit ((unsigned char) text[i]) != 0
                                          : std::isdigit ((unsigned char) text[i]) != 0))
            ++i;

        const size_t digits = i - firstDigit;
        return digits > 0 && digits <= (hexadecimal ? 8u : 12u) && i < length && text[i] == ';';
    }

    bool hasUnreadableReference (const char* text, size_t length)
    {
        for (size_t i = 0; i < length; ++i)
            if (text[i] == '&' && ! isCharacterReference (text, length, i))
                return true;
        return false;
    }

    // Whether the XML text inside the binary envelope, as the framework
    // takes it, can safely be given to its parser.
    bool parserCanTake (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes <= 8)
            return true;   // not even an envelope: the framework reads nothing
        const auto textLength = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));
        if (textLength <= 0)
            return true;

        const auto* text = static_cast<const char*> (data) + 8;
        const auto length = (size_t) juce::jmin (sizeInBytes - 8, textLength);
        return ! hasTooManyElements (text, length) && isStrictUtf8 (text, length)
               && ! hasInstructionAfterTheStart (text, length) && ! hasUnreadableReference (text, length);
    }
}

std::unique_ptr<juce::XmlElement> parseSavedState (const void* data, int sizeInBytes)
{
    if (! parserCanTake (data, sizeInBytes))
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
