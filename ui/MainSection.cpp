#include "ui/MainSection.h"

#include "BinaryData.h"

namespace
{
    struct FaderSlot
    {
        const char* id;
        int x;
    };

    // Every fader sits in a slot of the same size on the same row.
    constexpr int faderY = 232, faderWidth = 37, faderHeight = 104;

    constexpr FaderSlot faderSlots[MainSection::faderCount] = {
        { "flt_atk",   87 }, { "flt_dcy",  139 }, { "flt_rng",  191 }, { "flt_res",  243 },
        { "brs_vol",  348 },
        { "seq_low",  452 }, { "seq_mid",  504 }, { "seq_hig",  555 },
        { "sln_crs",  747 }, { "sln_sus",  799 }, { "sln_vol",  851 },
        { "mod_dln",  955 }, { "mod_rat", 1007 }, { "mod_dep", 1059 },
        { "com_mst", 1215 },
    };

    struct SwitchSlot
    {
        const char* id;
        const char* picture;   // resource name of the film strip
        int frames;
        juce::Rectangle<int> bounds;
    };

    const SwitchSlot switchSlots[MainSection::switchCount] = {
        { "brs_tog", "push_brass_png", 3, {  288, 223, 52, 86 } },
        { "sft_f16", "push_16_png",    3, {  618, 223, 52, 86 } },
        { "sft_f08", "push_8_png",     3, {  670, 223, 52, 86 } },
        { "mod_dst", "push_mod_png",   3, { 1104, 223, 52, 86 } },
        { "com_trs", "transpose_png",  2, {  649, 309, 42, 27 } },
    };

    const juce::Rectangle<int> lampBounds { 1104, 223, 52, 45 };   // over the lamp of "mod_dst"
    const juce::Rectangle<int> keyboardBounds { 77, 431, 1189, 254 };
    constexpr int lowestKey = 48, highestKey = 96;

    juce::Image picture (const char* resourceName)
    {
        int size = 0;
        const char* data = BinaryData::getNamedResource (resourceName, size);
        return data != nullptr ? juce::ImageCache::getFromMemory (data, size) : juce::Image();
    }
}

MainSection::MainSection (VorsanTembrolinAudioProcessor& owner)
    : processor (owner),
      background (picture ("background_png"))
{
    setOpaque (true);

    const auto knob = picture ("fader_png");

    for (int i = 0; i < faderCount; ++i)
    {
        auto& fader = faders[(size_t) i];
        fader = std::make_unique<ImgVerticalSlider>();
        fader->setBounds (faderSlots[i].x, faderY, faderWidth, faderHeight);
        fader->setKnobImage (knob);
        fader->setComponentID (faderSlots[i].id);
        fader->addListener (this);
        addAndMakeVisible (*fader);
    }

    for (int i = 0; i < switchCount; ++i)
    {
        const auto& slot = switchSlots[i];
        auto& button = switches[(size_t) i];
        button = std::make_unique<ImgToggleButton> (picture (slot.picture), true, slot.frames);
        button->setBounds (slot.bounds);
        button->setComponentID (slot.id);
        button->addListener (this);
        addAndMakeVisible (*button);
    }

    modLamp = std::make_unique<StaticImage> (picture ("mod_light_png"), 1);
    modLamp->setBounds (lampBounds);
    addAndMakeVisible (*modLamp);

    keyboard = std::make_unique<KeyboardCustom> (keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard);
    keyboard->setBounds (keyboardBounds);
    keyboard->setKeyRange (lowestKey, highestKey);
    keyboard->setScrollButtonsVisible (false);
    addAndMakeVisible (*keyboard);
    keyboardState.addListener (this);

    addParameterExtra();

    // Room for a good burst of incoming notes before the buffer has to grow.
    incomingMidi.ensureSize (4096);
    startTimer (activeMidiInterval);
}

MainSection::~MainSection()
{
    stopTimer();
    keyboardState.removeListener (this);
}

void MainSection::addParameterExtra()
{
    for (int row = 0; row < NumFxParams; ++row)
    {
        auto* slider = dynamic_cast<juce::Slider*> (findChildWithID (FxParams[row].id));

        if (slider == nullptr)
            continue;

        slider->setPopupDisplayEnabled (true, false, this, 2000);
        slider->setTextValueSuffix (processor.getParameterReadout (row));

        // The bubble shows the suffix; the value-change callback runs after
        // sliderValueChanged, so the readout already has the new value.
        auto showReadout = [this, slider, row] { slider->setTextValueSuffix (processor.getParameterReadout (row)); };
        slider->onDragStart = showReadout;
        slider->onValueChange = showReadout;

        const double defaultValue = (double) FxParams[row].defaultValue / (double) FxParams[row].maxValue;
        slider->setDoubleClickReturnValue (true, defaultValue, juce::ModifierKeys::altModifier);
    }
}

//==============================================================================
void MainSection::Update (const juce::String& id, float value)
{
    auto* child = findChildWithID (id);

    if (auto* slider = dynamic_cast<juce::Slider*> (child))
        slider->setValue (value, juce::dontSendNotification);
    else if (auto* button = dynamic_cast<juce::Button*> (child))
        button->setToggleState (value > 0.0f, juce::dontSendNotification);
}

int MainSection::getIntParamIdFromTextId (const juce::String& id)
{
    for (int row = 0; row < NumFxParams; ++row)
        if (id == FxParams[row].id)
            return row;

    return -1;
}

void MainSection::sliderValueChanged (juce::Slider* slider)
{
    const int row = getIntParamIdFromTextId (slider->getComponentID());

    if (row >= 0)
        processor.params[row]->setValueNotifyingHost ((float) slider->getValue());
}

void MainSection::buttonClicked (juce::Button* button)
{
    const int row = getIntParamIdFromTextId (button->getComponentID());

    if (row >= 0)
        processor.params[row]->setValueNotifyingHost (button->getToggleState() ? 1.0f : 0.0f);
}

//==============================================================================
// Keys played on screen always go out on channel 1 at full velocity.
void MainSection::handleNoteOn (juce::MidiKeyboardState*, int, int midiNoteNumber, float)
{
    processor.ProcessMidiMessage (juce::MidiMessage (0x90, midiNoteNumber, 127));
}

void MainSection::handleNoteOff (juce::MidiKeyboardState*, int, int midiNoteNumber, float)
{
    processor.ProcessMidiMessage (juce::MidiMessage (0x80, midiNoteNumber, 127));
}

void MainSection::timerCallback()
{
    processor.takeMidiDisplayEvents (incomingMidi);

    // Every tick wakes two threads, which a 1 ms timer does a thousand times
    // a second: after a quarter second without MIDI the panel looks less
    // often, and the first event brings the fast pace back. The keyboard
    // redraws only every 50 ms in any case.
    if (incomingMidi.isEmpty())
    {
        if (getTimerInterval() == activeMidiInterval && ++emptyTicks >= ticksBeforeQuiet)
            startTimer (quietMidiInterval);
        return;
    }

    emptyTicks = 0;
    if (getTimerInterval() != activeMidiInterval)
        startTimer (activeMidiInterval);

    for (const auto event : incomingMidi)
        applyIncomingMidi (event.getMessage());

    incomingMidi.clear();
}

void MainSection::applyIncomingMidi (const juce::MidiMessage& message)
{
    // The processor has already played this event: not listening while the
    // keyboard takes it keeps it from being sent a second time.
    keyboardState.removeListener (this);
    keyboardState.processNextMidiEvent (message);
    keyboardState.addListener (this);

    // An all-notes-off on any channel also lets go of the keys held on
    // screen; listening again, each release reaches the processor.
    if (message.isAllNotesOff())
        for (int note = 0; note < 128; ++note)
            if (keyboardState.isNoteOn (1, note))
                keyboardState.noteOff (1, note, 0.0f);
}

//==============================================================================
void MainSection::mouseDown (const juce::MouseEvent& event)
{
    if (namePlate.contains (event.position.toInt()) && onAboutRequest)
        onAboutRequest();
}

void MainSection::paint (juce::Graphics& g)
{
    g.drawImageAt (background, 0, 0);
}
