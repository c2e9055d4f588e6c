// The editor and its main window without a display: sizing for the display's
// width, the children's places, the 50 ms poll (values, lamp, no echo) and
// what gets repainted when nothing changes.

#include "PanelTestSupport.h"
#include "ui/PluginEditor.h"

#include <gtest/gtest.h>

#include <iterator>

namespace
{
    struct Editor : testing::Test
    {
        Editor()
        {
            editor.setVisible (true);
        }

        ~Editor() override
        {
            window().setCachedComponentImage (nullptr);
        }

        MainWindow& window() { return *editor.mainWindow; }
        MainSection& panel() { return *window().mainSection; }

        uitest::RepaintSpy& spyOnRepaints()
        {
            auto* spy = new uitest::RepaintSpy();
            window().setCachedComponentImage (spy);   // owned by the window
            spy->areas.clear();
            return *spy;
        }

        VorsanTembrolinAudioProcessor processor;
        uitest::ScratchDataFolder dataFolder { processor };
        VorsanTembrolinAudioProcessorEditor editor { processor };
    };

    // Renders audio until the modulation value is on the wanted side of 0.
    bool renderUntilModulation (VorsanTembrolinAudioProcessor& processor, bool positive)
    {
        for (int block = 0; block < 2000; ++block)
        {
            if ((processor.getModulationValue() > 0.0f) == positive)
                return true;
            uitest::renderBlock (processor, {});
        }
        return false;
    }

    juce::Rectangle<int> boundsOf (juce::Component& panel, const char* id)
    {
        return panel.findChildWithID (id)->getBounds();
    }
}

TEST (EditorSize, FollowsTheWidthOfTheDisplaysUserArea)
{
    VorsanTembrolinAudioProcessor processor;
    uitest::ScratchDataFolder dataFolder (processor);
    VorsanTembrolinAudioProcessorEditor editor (processor);

    struct Case { int width; int editorWidth, editorHeight; float scale; };
    const Case cases[] = {
        { 1340, 1340, 700, 1.0f },
        { 2560, 1340, 700, 1.0f },                  // never enlarged
        { 1339, 1339, 699, 1339.0f / 1340.0f },
        { 1024, 1024, 534, 1024.0f / 1340.0f },
        {  800,  800, 417, 800.0f / 1340.0f },
        {    0, 1340, 700, 1.0f },                  // a display the framework cannot describe
        {   -1, 1340, 700, 1.0f },
    };

    for (const auto& c : cases)
    {
        editor.fitToUserAreaWidth (c.width);
        const auto transform = editor.mainWindow->getTransform();

        EXPECT_EQ (editor.getWidth(), c.editorWidth) << c.width;
        EXPECT_EQ (editor.getHeight(), c.editorHeight) << c.width;
        EXPECT_EQ (editor.mainWindow->getBounds(), juce::Rectangle<int> (0, 0, 1340, 700)) << c.width;
        EXPECT_FLOAT_EQ (transform.mat00, c.scale) << c.width;
        EXPECT_FLOAT_EQ (transform.mat11, c.scale) << c.width;
        EXPECT_EQ (transform.mat01, 0.0f);
        EXPECT_EQ (transform.mat02, 0.0f);
        EXPECT_EQ (transform.mat12, 0.0f);
        EXPECT_EQ (editor.mainWindow->isTransformed(), c.scale != 1.0f) << c.width;
    }
}

TEST (EditorSize, WithoutADisplayTheEditorIsBuiltFullSizeAndResizableWithoutCorner)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        GTEST_SKIP() << "a display is present";

    VorsanTembrolinAudioProcessor processor;
    uitest::ScratchDataFolder dataFolder (processor);
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());

    ASSERT_NE (dynamic_cast<VorsanTembrolinAudioProcessorEditor*> (editor.get()), nullptr);
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 1340, 700));
    EXPECT_TRUE (editor->isResizable());
    EXPECT_EQ (editor->getNumChildComponents(), 1);   // the main window, no resizer corner
}

TEST_F (Editor, AScaledWindowStillFindsEachControlUnderTheMouse)
{
    editor.fitToUserAreaWidth (800);
    const float scale = 800.0f / 1340.0f;

    for (const char* id : { "flt_atk", "brs_tog", "com_trs", "com_mst" })
    {
        const auto centre = boundsOf (panel(), id).getCentre().toFloat() * scale;
        auto* hit = editor.getComponentAt (centre.roundToInt());
        ASSERT_NE (hit, nullptr) << id;
        EXPECT_EQ (hit->getComponentID(), id);
    }
}

TEST_F (Editor, ChildrenLieInTheirOrderAndPlaces)
{
    auto& w = window();
    struct Child { const char* name; juce::Component* component; juce::Rectangle<int> bounds; bool visible; };
    const Child children[] = {
        { "front panel",   w.mainSection.get(), { 0, 0, 1340, 1013 }, true },
        { "dialog",        &w.innerDialog,      { 0, 0, 600, 210 },   false },
        { "header strip",  w.topSection.get(),  { 0, 0, 1340, 158 },  true },
        { "news strip",    w.newsFeed.get(),    { 40, 0, 800, 64 },   true },
        { "cables mask",   w.cablesMask.get(),  { 0, 685, 1340, 15 }, true },
        { "edit panel",    w.editPanel.get(),   { 0, 0, 1340, 700 },  false },
        { "about screen",  &w.aboutScreen,      { 0, 0, 1340, 700 },  false },
        { "browser",       w.htmlBrowser.get(), { 0, 0, 1340, 700 },  false },
    };

    ASSERT_EQ (w.getNumChildComponents(), (int) std::size (children));

    for (int i = 0; i < (int) std::size (children); ++i)
    {
        const auto& child = children[i];
        SCOPED_TRACE (child.name);
        EXPECT_EQ (w.getChildComponent (i), child.component);
        EXPECT_EQ (child.component->getBounds(), child.bounds);
        EXPECT_EQ (child.component->isVisible(), child.visible);
    }

    EXPECT_EQ (w.cablesMask->frameHeight, 15);
    EXPECT_FALSE (w.newsFeed->newsView->isVisible()) << "no news yet";
    EXPECT_EQ (w.editPanel->sliders.size(), 1);
    EXPECT_EQ (w.editPanel->sliders[0]->getComponentID(), "edt_tgl");
    // The dialog laid out with its button inset.
    EXPECT_EQ (w.innerDialog.cancelButton->getBounds(), juce::Rectangle<int> (150, 160, 120, 40));
    EXPECT_EQ (w.innerDialog.okButton->getBounds(), juce::Rectangle<int> (330, 160, 120, 40));
    EXPECT_EQ (w.getTimerInterval(), 50);
}

TEST_F (Editor, ControlsShowTheSoundFromTheStartWithoutEchoingIt)
{
    for (int row = 0; row < 20; ++row)
    {
        auto* child = panel().findChildWithID (FxParams[row].id);
        if (auto* slider = dynamic_cast<juce::Slider*> (child))
            EXPECT_FLOAT_EQ ((float) slider->getValue(), processor.params[row]->getValue()) << FxParams[row].id;
        else if (auto* button = dynamic_cast<juce::Button*> (child))
            EXPECT_EQ (button->getToggleState(), processor.params[row]->getValue() > 0.0f) << FxParams[row].id;
    }
}

TEST_F (Editor, ARestoredSoundMovesItsControlsOnTheNextPollAndIsNotSentBack)
{
    // A sound with the brass on, the attack at 0 and the master at 100/127.
    juce::MemoryBlock state;
    {
        VorsanTembrolinAudioProcessor other;
        other.params[4]->setValueNotifyingHost (1.0f);
        other.params[0]->setValueNotifyingHost (0.0f);
        other.params[19]->setValueNotifyingHost (normalisedFromRaw (100, 127));
        other.getStateInformation (state);
    }

    processor.setStateInformation (state.getData(), (int) state.getSize());
    const auto restored = uitest::parameterValues (processor);
    uitest::ParameterChangeCounter changes (processor);

    auto& brass = *dynamic_cast<juce::Button*> (panel().findChildWithID ("brs_tog"));
    auto& attack = *dynamic_cast<juce::Slider*> (panel().findChildWithID ("flt_atk"));
    auto& master = *dynamic_cast<juce::Slider*> (panel().findChildWithID ("com_mst"));
    ASSERT_FALSE (brass.getToggleState());

    // The window's own timer does it, every 50 ms.
    EXPECT_TRUE (uitest::runMessageLoopUntil ([&] { return brass.getToggleState(); }));
    EXPECT_EQ (attack.getValue(), 0.0);
    EXPECT_FLOAT_EQ ((float) master.getValue(), normalisedFromRaw (100, 127));

    uitest::runMessageLoop (120);
    EXPECT_TRUE (changes.changed.isEmpty());
    EXPECT_EQ (uitest::parameterValues (processor), restored);
}

TEST_F (Editor, TheLampFollowsTheModulationAndIsRedrawnOnlyWhenItTurns)
{
    auto& spy = spyOnRepaints();
    const auto lamp = panel().modLamp->getBounds();

    ASSERT_TRUE (renderUntilModulation (processor, true));
    window().timerCallback();
    window().timerCallback();
    EXPECT_EQ (panel().modLamp->getAlpha(), 1.0f);
    EXPECT_EQ (spy.countWithin (lamp), 1);

    ASSERT_TRUE (renderUntilModulation (processor, false));
    window().timerCallback();
    window().timerCallback();
    EXPECT_EQ (panel().modLamp->getAlpha(), 0.0f);
    EXPECT_EQ (spy.countWithin (lamp), 2);
    EXPECT_EQ (spy.areas.size(), 2);   // nothing else was redrawn
}

TEST_F (Editor, TheLampBlinksAtTheDefaultRateWithNoDepth)
{
    ASSERT_EQ (rawFromNormalised (127, processor.params[16]->getValue()), 0);   // depth

    // Two seconds of audio in poll-sized steps; the default rate is near 4.8 Hz.
    int turnedOn = 0;
    bool wasOn = panel().modLamp->getAlpha() > 0.5f;
    for (int poll = 0; poll < 40; ++poll)
    {
        uitest::renderBlock (processor, {}, 2205);
        window().timerCallback();
        const bool on = panel().modLamp->getAlpha() > 0.5f;
        turnedOn += (on && ! wasOn) ? 1 : 0;
        wasOn = on;
    }

    EXPECT_GE (turnedOn, 7);
    EXPECT_LE (turnedOn, 11);
}

TEST_F (Editor, NothingIsRedrawnWhileNothingChanges)
{
    auto& spy = spyOnRepaints();

    // Both timers run many times: the 50 ms poll and the 1 ms MIDI check.
    uitest::runMessageLoop (300);
    EXPECT_TRUE (spy.areas.isEmpty()) << spy.areas.size() << " repaints, the first "
                                      << spy.areas.getFirst().toString();

    // The poll writing a value a control already shows redraws nothing either.
    for (int row = 0; row < 20; ++row)
        panel().Update (FxParams[row].id, processor.params[row]->getValue());
    EXPECT_TRUE (spy.areas.isEmpty());

    // A change redraws just that control.
    processor.params[5]->setValueNotifyingHost (0.25f);
    window().timerCallback();
    EXPECT_FALSE (spy.areas.isEmpty());
    EXPECT_EQ (spy.countWithin (boundsOf (panel(), "brs_vol")), spy.areas.size());
}

TEST_F (Editor, AnIncomingNoteIsRedrawnOnceAndThenLeftAlone)
{
    // Audio moves the modulation and with it the lamp: let that settle first
    // (the oscillator stays on one side for far longer than these blocks).
    uitest::renderBlock (processor, {});
    window().timerCallback();
    auto& spy = spyOnRepaints();

    uitest::renderBlock (processor, { juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) });
    EXPECT_TRUE (uitest::runMessageLoopUntil ([&] { return panel().keyboard->keysDrawnDown[60]; }));
    EXPECT_GE (spy.countWithin (panel().keyboard->getBounds()), 1);
    EXPECT_EQ (spy.countWithin (panel().keyboard->getBounds()), spy.areas.size());

    spy.areas.clear();
    uitest::runMessageLoop (150);
    EXPECT_TRUE (spy.areas.isEmpty());
}
