// The front panel without a display: its controls against the catalogue,
// what a drag, a click, a reset and the name plate do, the poll's Update, and
// the mirroring of incoming MIDI on the keyboard.

#include "PanelTestSupport.h"

#include <gtest/gtest.h>

using uitest::leftButton;
using uitest::mouseEvent;

namespace
{
    struct Panel : testing::Test
    {
        ImgVerticalSlider& fader (const char* id)
        {
            auto* slider = dynamic_cast<ImgVerticalSlider*> (panel.findChildWithID (id));
            EXPECT_NE (slider, nullptr) << id;
            return *slider;
        }

        ImgToggleButton& switchFor (const char* id)
        {
            auto* button = dynamic_cast<ImgToggleButton*> (panel.findChildWithID (id));
            EXPECT_NE (button, nullptr) << id;
            return *button;
        }

        VorsanTembrolinAudioProcessor processor;
        MainSection panel { processor };
    };

    float normalisedDefault (int row)
    {
        return normalisedFromRaw (FxParams[row].defaultValue, FxParams[row].maxValue);
    }

    int rawValue (const VorsanTembrolinAudioProcessor& processor, int row)
    {
        return rawFromNormalised (processor.params[row]->maxValue, processor.params[row]->getValue());
    }
}

TEST_F (Panel, EveryControlSitsInItsSlotAndCarriesItsCatalogueIdentifier)
{
    struct Slot { const char* id; juce::Rectangle<int> bounds; };
    const Slot faders[] = {
        { "flt_atk", {   87, 232, 37, 104 } }, { "flt_dcy", {  139, 232, 37, 104 } },
        { "flt_rng", {  191, 232, 37, 104 } }, { "flt_res", {  243, 232, 37, 104 } },
        { "brs_vol", {  348, 232, 37, 104 } }, { "seq_low", {  452, 232, 37, 104 } },
        { "seq_mid", {  504, 232, 37, 104 } }, { "seq_hig", {  555, 232, 37, 104 } },
        { "sln_crs", {  747, 232, 37, 104 } }, { "sln_sus", {  799, 232, 37, 104 } },
        { "sln_vol", {  851, 232, 37, 104 } }, { "mod_dln", {  955, 232, 37, 104 } },
        { "mod_rat", { 1007, 232, 37, 104 } }, { "mod_dep", { 1059, 232, 37, 104 } },
        { "com_mst", { 1215, 232, 37, 104 } },
    };
    const Slot switches[] = {
        { "brs_tog", {  288, 223, 52, 86 } }, { "sft_f16", {  618, 223, 52, 86 } },
        { "sft_f08", {  670, 223, 52, 86 } }, { "mod_dst", { 1104, 223, 52, 86 } },
        { "com_trs", {  649, 309, 42, 27 } },
    };

    // Children in the order they were added: faders, switches, lamp, keyboard.
    ASSERT_EQ (panel.getNumChildComponents(), 22);
    int index = 0;

    for (const auto& slot : faders)
    {
        auto* child = panel.getChildComponent (index++);
        ASSERT_NE (dynamic_cast<ImgVerticalSlider*> (child), nullptr) << slot.id;
        EXPECT_EQ (child->getComponentID(), slot.id);
        EXPECT_EQ (child->getBounds(), slot.bounds) << slot.id;
        EXPECT_EQ (FxParams[MainSection::getIntParamIdFromTextId (slot.id)].maxValue, 127) << slot.id;
        EXPECT_EQ (fader (slot.id).knobTravel, 66) << slot.id;
    }

    for (const auto& slot : switches)
    {
        auto* child = panel.getChildComponent (index++);
        auto* button = dynamic_cast<ImgToggleButton*> (child);
        ASSERT_NE (button, nullptr) << slot.id;
        EXPECT_EQ (child->getComponentID(), slot.id);
        EXPECT_EQ (child->getBounds(), slot.bounds) << slot.id;
        EXPECT_TRUE (button->latching) << slot.id;
        // The picture fills the slot: one frame is exactly the switch's size.
        EXPECT_EQ (button->frameWidth, slot.bounds.getWidth()) << slot.id;
        EXPECT_EQ (button->frameHeight, slot.bounds.getHeight()) << slot.id;
        EXPECT_EQ (FxParams[MainSection::getIntParamIdFromTextId (slot.id)].maxValue, 1) << slot.id;
    }

    EXPECT_EQ (panel.getChildComponent (index++), panel.modLamp.get());
    EXPECT_EQ (panel.modLamp->getBounds(), juce::Rectangle<int> (1104, 223, 52, 45));
    EXPECT_EQ (panel.getChildComponent (index++), panel.keyboard.get());
    EXPECT_EQ (panel.keyboard->getBounds(), juce::Rectangle<int> (77, 431, 1189, 254));
    EXPECT_EQ (panel.keyboard->getRangeStart(), 48);
    EXPECT_EQ (panel.keyboard->getRangeEnd(), 96);

    // Every catalogue row but the tuning has exactly one control.
    for (int row = 0; row < NumFxParams; ++row)
    {
        int found = 0;
        for (auto* child : panel.getChildren())
            found += child->getComponentID() == FxParams[row].id ? 1 : 0;
        EXPECT_EQ (found, row == 20 ? 0 : 1) << FxParams[row].id;
    }
}

TEST_F (Panel, IdentifiersFindTheirRowsExactly)
{
    for (int row = 0; row < NumFxParams; ++row)
        EXPECT_EQ (MainSection::getIntParamIdFromTextId (FxParams[row].id), row);

    for (const char* unknown : { "", "FLT_ATK", "flt_atk ", "flt", "nope" })
        EXPECT_EQ (MainSection::getIntParamIdFromTextId (unknown), -1) << unknown;
}

TEST_F (Panel, DraggingAFaderSetsItsParameterAloneAndTheBubbleReadsTheReadout)
{
    uitest::ParameterChangeCounter changes (processor);
    const auto before = uitest::parameterValues (processor);
    auto& master = fader ("com_mst");
    panel.Update ("com_mst", 1.0f);

    // Half the knob's travel down: from the top to the middle.
    master.mouseDown (mouseEvent (master, { 18.0f, 20.0f }, leftButton()));
    master.mouseDrag (mouseEvent (master, { 18.0f, 40.0f }, leftButton()));
    master.mouseDrag (mouseEvent (master, { 18.0f, 53.0f }, leftButton()));

    EXPECT_NEAR (processor.params[19]->getValue(), 0.5f, 1.0e-6f);
    EXPECT_EQ (processor.getParameterReadout (19), "50 %");
    ASSERT_NE (master.getCurrentPopupDisplay(), nullptr);
    EXPECT_EQ (master.getCurrentPopupDisplay()->getParentComponent(), &panel);
    // The bubble shows the fader's text, which is the processor's readout.
    EXPECT_EQ (master.getTextFromValue (master.getValue()), "50 %");

    master.mouseUp (mouseEvent (master, { 18.0f, 53.0f }, {}));

    const auto after = uitest::parameterValues (processor);
    for (int row = 0; row < NumFxParams; ++row)
        if (row != 19)
            EXPECT_EQ (after[(size_t) row], before[(size_t) row]) << FxParams[row].id;
    EXPECT_FALSE (changes.changed.isEmpty());
    for (int index : changes.changed)
        EXPECT_EQ (index, 19);
}

TEST_F (Panel, ClickingASwitchFlipsItsParameterAlone)
{
    struct Case { const char* id; int row; };
    for (const Case c : { Case { "brs_tog", 4 }, Case { "sft_f08", 10 }, Case { "com_trs", 18 } })
    {
        const auto before = uitest::parameterValues (processor);
        auto& button = switchFor (c.id);
        const bool wasOn = before[(size_t) c.row] > 0.0f;
        panel.Update (c.id, before[(size_t) c.row]);

        button.mouseDown (mouseEvent (button, { 10.0f, 10.0f }, leftButton()));
        button.mouseUp (mouseEvent (button, { 10.0f, 10.0f }, {}));

        const auto after = uitest::parameterValues (processor);
        EXPECT_EQ (after[(size_t) c.row], wasOn ? 0.0f : 1.0f) << c.id;
        for (int row = 0; row < NumFxParams; ++row)
            if (row != c.row)
                EXPECT_EQ (after[(size_t) row], before[(size_t) row]) << c.id << " moved " << FxParams[row].id;
    }
}

TEST_F (Panel, UpdateMovesControlsWithoutTellingAnyone)
{
    uitest::ParameterChangeCounter changes (processor);
    const auto before = uitest::parameterValues (processor);

    panel.Update ("flt_atk", 0.25f);
    EXPECT_EQ (fader ("flt_atk").getValue(), 0.25);

    struct Case { float value; bool on; };
    for (const Case c : { Case { 0.01f, true }, Case { 0.0f, false }, Case { 1.0f, true }, Case { -1.0f, false } })
    {
        panel.Update ("brs_tog", c.value);
        EXPECT_EQ (switchFor ("brs_tog").getToggleState(), c.on) << c.value;
    }

    // No such control: the tuning has none, and a made-up name none either.
    panel.Update ("edt_tgl", 0.5f);
    panel.Update ("nope", 0.5f);

    uitest::runMessageLoop (50);   // asynchronous notifications would arrive here
    EXPECT_TRUE (changes.changed.isEmpty());
    EXPECT_EQ (uitest::parameterValues (processor), before);
}

TEST_F (Panel, DoubleClickOrAltClickResetsAFaderToItsDefault)
{
    struct Case { const char* id; int row; int knobY; bool altClick; };
    const Case cases[] = {
        { "mod_rat", 15, 24, false },
        { "com_mst", 19,  0, false },
        { "mod_rat", 15, 24, true },
        { "flt_res",  3, 66, true },
    };

    for (const auto& c : cases)
    {
        auto& slider = fader (c.id);
        // Away from the default first, on screen and in the processor.
        const float away = FxParams[c.row].defaultValue == 0 ? 1.0f : 0.0f;
        processor.params[c.row]->setValueNotifyingHost (away);
        panel.Update (c.id, away);

        if (c.altClick)
        {
            slider.mouseDown (mouseEvent (slider, { 18.0f, 50.0f }, juce::ModifierKeys (juce::ModifierKeys::altModifier
                                                                                       | juce::ModifierKeys::leftButtonModifier)));
            slider.mouseUp (mouseEvent (slider, { 18.0f, 50.0f }, juce::ModifierKeys (juce::ModifierKeys::altModifier)));
        }
        else
        {
            slider.mouseDoubleClick (mouseEvent (slider, { 18.0f, 50.0f }, leftButton()));
        }

        EXPECT_EQ (slider.getKnobY(), c.knobY) << c.id;
        EXPECT_TRUE (uitest::runMessageLoopUntil ([&] { return rawValue (processor, c.row) == FxParams[c.row].defaultValue; }))
            << c.id << " stays at raw " << rawValue (processor, c.row);
        EXPECT_FLOAT_EQ (processor.params[c.row]->getValue(), normalisedDefault (c.row)) << c.id;
    }
}

TEST_F (Panel, TheNamePlateAsksForTheAboutScreenWithinItsEdgesOnly)
{
    int requests = 0;
    panel.onAboutRequest = [&] { ++requests; };

    struct Case { float x, y; bool asks; };
    const Case cases[] = {
        { 104.0f, 173.0f, true },  { 427.0f, 194.0f, true },   // corners, inclusive
        { 427.9f, 194.9f, true },                              // truncated into the plate
        { 265.0f, 184.0f, true },
        { 428.0f, 173.0f, false }, { 104.0f, 195.0f, false },  // just outside
        { 103.9f, 180.0f, false }, { 200.0f, 172.9f, false },
    };

    for (const auto& c : cases)
    {
        requests = 0;
        panel.mouseDown (mouseEvent (panel, { c.x, c.y }, leftButton()));
        EXPECT_EQ (requests, c.asks ? 1 : 0) << c.x << ", " << c.y;
    }

    panel.onAboutRequest = nullptr;
    panel.mouseDown (mouseEvent (panel, { 200.0f, 180.0f }, leftButton()));   // nobody to ask: nothing happens
}

TEST_F (Panel, IncomingNotesShowOnTheKeyboardAndAreNotSentBack)
{
    uitest::renderBlock (processor, { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100),
                                      juce::MidiMessage::noteOn (5, 64, (juce::uint8) 100) });
    ASSERT_EQ (uitest::heldKeys (processor), 2);

    panel.timerCallback();
    panel.keyboard->timerCallback();

    EXPECT_TRUE (panel.keyboardState.isNoteOn (1, 60));
    EXPECT_TRUE (panel.keyboardState.isNoteOn (5, 64));
    EXPECT_TRUE (panel.keyboard->keysDrawnDown[60]);
    EXPECT_TRUE (panel.keyboard->keysDrawnDown[64]);
    // A note sent back would be a second key-down in the engine.
    EXPECT_EQ (uitest::heldKeys (processor), 2);

    uitest::renderBlock (processor, { juce::MidiMessage::noteOff (1, 60), juce::MidiMessage::noteOn (5, 64, (juce::uint8) 0) });
    panel.timerCallback();
    panel.keyboard->timerCallback();

    EXPECT_FALSE (panel.keyboardState.isNoteOnForChannels (0xFFFF, 60));
    EXPECT_FALSE (panel.keyboardState.isNoteOnForChannels (0xFFFF, 64));
    EXPECT_FALSE (panel.keyboard->keysDrawnDown[60]);
    EXPECT_EQ (uitest::heldKeys (processor), 0);

    // Nothing but notes: the keyboard stays as it is.
    uitest::renderBlock (processor, { juce::MidiMessage::controllerEvent (1, 7, 20), juce::MidiMessage::pitchWheel (1, 0) });
    panel.timerCallback();
    for (int note = 0; note < 128; ++note)
        EXPECT_FALSE (panel.keyboardState.isNoteOnForChannels (0xFFFF, note)) << note;
}

TEST_F (Panel, KeysPlayedOnScreenReachTheProcessor)
{
    // What the keyboard component does when the mouse presses and releases a key.
    panel.keyboardState.noteOn (1, 60, 0.2f);
    EXPECT_EQ (uitest::heldKeys (processor), 1);
    EXPECT_EQ (processor.synth->osc.lastKey, PhaseSyncOsc::keyIndex (60));

    panel.keyboardState.noteOff (1, 60, 0.2f);
    EXPECT_EQ (uitest::heldKeys (processor), 0);
}

TEST_F (Panel, AllNotesOffOnAnyChannelReleasesKeysHeldOnScreen)
{
    panel.keyboardState.noteOn (1, 50, 1.0f);   // held with the mouse
    uitest::renderBlock (processor, { juce::MidiMessage::noteOn (2, 72, (juce::uint8) 90) });
    panel.timerCallback();
    ASSERT_EQ (uitest::heldKeys (processor), 2);

    uitest::renderBlock (processor, { juce::MidiMessage::allNotesOff (2) });
    panel.timerCallback();

    EXPECT_FALSE (panel.keyboardState.isNoteOn (1, 50));
    EXPECT_FALSE (panel.keyboardState.isNoteOn (2, 72));
    // The mouse-held key went out as a note-off; the incoming one stays with
    // the engine, which ignores controllers.
    EXPECT_EQ (uitest::heldKeys (processor), 1);
}

TEST_F (Panel, MidiIsLookedForEveryMillisecondWhileItArrivesAndLessOftenWhenQuiet)
{
    EXPECT_EQ (panel.getTimerInterval(), MainSection::activeMidiInterval);

    for (int tick = 0; tick < MainSection::ticksBeforeQuiet; ++tick)
        panel.timerCallback();
    EXPECT_EQ (panel.getTimerInterval(), MainSection::quietMidiInterval);
    EXPECT_GT (MainSection::quietMidiInterval, MainSection::activeMidiInterval);

    uitest::renderBlock (processor, { juce::MidiMessage::noteOn (1, 67, (juce::uint8) 100) });
    panel.timerCallback();
    EXPECT_TRUE (panel.keyboardState.isNoteOn (1, 67));
    EXPECT_EQ (panel.getTimerInterval(), MainSection::activeMidiInterval);

    // A quiet spell is counted afresh after every event.
    for (int tick = 0; tick < MainSection::ticksBeforeQuiet - 1; ++tick)
        panel.timerCallback();
    EXPECT_EQ (panel.getTimerInterval(), MainSection::activeMidiInterval);
}
