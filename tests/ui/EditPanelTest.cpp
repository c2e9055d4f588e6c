#include "ui/EditPanel.h"
#include "core/FxParams.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    struct Change
    {
        int row;
        float value;
    };

    // The panel as the main window builds it: one control, for Global Tuning.
    struct TuningPanel : testing::Test
    {
        TuningPanel()
        {
            panel.onParameterChange = [this] (int row, float value) { changes.push_back ({ row, value }); };
            panel.setVisible (true);
        }

        CompositeSlider& tuning() { return *panel.sliders[0]; }

        void click (juce::Component& target, juce::Point<float> at, juce::ModifierKeys mods)
        {
            target.mouseDown (uitest::mouseEvent (target, at, mods));
            target.mouseUp (uitest::mouseEvent (target, at, mods));
        }

        EditPanel panel { 1340, 700, 20, 20 };
        std::vector<Change> changes;
    };
}

TEST_F (TuningPanel, CarriesTheGlobalTuningControl)
{
    EXPECT_EQ (panel.getBoxBounds(), juce::Rectangle<int> (80, 100, 1180, 500));
    ASSERT_EQ (panel.sliders.size(), 1);
    EXPECT_EQ (tuning().getComponentID(), "edt_tgl");
    EXPECT_EQ (tuning().name, "Global Tuning");
    EXPECT_EQ (tuning().getBounds(), juce::Rectangle<int> (100, 150, 350, 35));
    EXPECT_EQ (tuning().colour, juce::Colour (0xFF922820));
    EXPECT_EQ (tuning().getParentComponent(), &panel);
    EXPECT_TRUE (tuning().isVisible());
    EXPECT_TRUE (panel.getWantsKeyboardFocus());
}

TEST_F (TuningPanel, UserChangesReachTheCallbackNormalised)
{
    tuning().setValue (100.0, juce::sendNotificationSync);
    ASSERT_EQ (changes.size(), 1u);
    EXPECT_EQ (changes[0].row, 20);
    EXPECT_EQ (changes[0].value, 100.0f / 127.0f);
}

TEST_F (TuningPanel, DoubleClickAndAltClickResetToTheDefault)
{
    struct Case { const char* gesture; bool doubleClick; };

    for (auto c : { Case { "double-click", true }, Case { "alt-click", false } })
    {
        SCOPED_TRACE (c.gesture);
        panel.Update ("edt_tgl", 10.0f, "x");
        changes.clear();
        const juce::Point<float> onTrack (200.0f, 17.0f);

        if (c.doubleClick)
            tuning().mouseDoubleClick (uitest::mouseEvent (tuning(), onTrack, uitest::leftButton()));
        else
            click (tuning(), onTrack, uitest::leftButton().withFlags (juce::ModifierKeys::altModifier));

        EXPECT_EQ (tuning().getValue(), 64.0);
        ASSERT_EQ (changes.size(), 1u);
        EXPECT_EQ (changes[0].row, 20);
        EXPECT_EQ (changes[0].value, 64.0f / 127.0f);
    }
}

TEST_F (TuningPanel, ChangesWithoutACallbackOnlyMoveTheControl)
{
    panel.onParameterChange = nullptr;
    tuning().setValue (30.0, juce::sendNotificationSync);
    EXPECT_EQ (tuning().getValue(), 30.0);
}

TEST_F (TuningPanel, UpdateWritesValueAndReadoutSilently)
{
    panel.Update ("EDT_TGL", 100.9f, "452.3 Hz");   // any letter case; value truncated
    EXPECT_EQ (tuning().getValue(), 100.0);
    EXPECT_EQ (tuning().readout, "452.3 Hz");
    EXPECT_TRUE (changes.empty());

    panel.Update ("mod_rat", 3.0f, "nothing");
    EXPECT_EQ (tuning().getValue(), 100.0);
    EXPECT_EQ (tuning().readout, "452.3 Hz");
}

TEST_F (TuningPanel, EscapeClosesThePanelAndLeavesTheKeyUnused)
{
    EXPECT_FALSE (panel.keyPressed (juce::KeyPress ('a'), &panel));
    EXPECT_TRUE (panel.isVisible());

    EXPECT_FALSE (panel.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey), &panel));
    EXPECT_FALSE (panel.isVisible());
}

TEST_F (TuningPanel, ClickOutsideTheBoxClosesThePanel)
{
    struct Case { float x, y; bool staysOpen; };
    const Case cases[] = {
        { 80.0f, 100.0f, true },      // the box's top-left corner
        { 1259.0f, 599.0f, true },    // its bottom-right pixel
        { 600.0f, 400.0f, true },     // inside, not on a control
        { 79.0f, 300.0f, false },     // just left of it
        { 600.0f, 99.0f, false },     // above
        { 1260.0f, 300.0f, false },   // right
        { 600.0f, 600.0f, false },    // below
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.x) + ", " + juce::String (c.y));
        panel.setVisible (true);
        panel.mouseDown (uitest::mouseEvent (panel, { c.x, c.y }, uitest::leftButton()));
        EXPECT_EQ (panel.isVisible(), c.staysOpen);
    }
}

TEST (EditPanel, ControlsFillColumnsOfEight)
{
    EditPanel panel (1340, 700, 0, NumFxParams - 1);
    ASSERT_EQ (panel.sliders.size(), NumFxParams);

    for (int row = 0; row < NumFxParams; ++row)
    {
        SCOPED_TRACE (row);
        const auto& slider = *panel.sliders[row];
        EXPECT_EQ (slider.getPosition(), juce::Point<int> (100 + 370 * (row / 8), 150 + 55 * (row % 8)));
        EXPECT_EQ (slider.getComponentID(), FxParams[row].id);
        EXPECT_EQ (slider.getMaximum(), (double) FxParams[row].maxValue);
        EXPECT_EQ (slider.getDoubleClickReturnValue(), (double) FxParams[row].defaultValue);
        // Only Global Tuning has a colour of its own.
        EXPECT_EQ (slider.colour.getARGB(), FxParams[row].panelColour);
    }
}

TEST (EditPanel, EmptyRowRangeGivesAnEmptyBoxWithItsTitle)
{
    EditPanel panel (1340, 700, 21, 20);
    EXPECT_EQ (panel.sliders.size(), 0);
    EXPECT_EQ (panel.getNumChildComponents(), 0);

    const auto image = uitest::render (panel);
    // Inside the box, below the title bar: plain black everywhere.
    for (int y = 135; y < 596; y += 7)
        for (int x = 85; x < 1255; x += 7)
            ASSERT_EQ (uitest::pixel (image, x, y), 0xFF000000u) << x << ", " << y;

    // The title in white, centred in the title bar.
    const auto [left, right] = uitest::brightColumns (image, { 82, 100, 1176, 30 }, 0.8f);
    ASSERT_GE (left, 0);
    EXPECT_NEAR ((left + right) / 2.0, 670.0, 3.0);
}

TEST (EditPanel, DarkensTheWindowAroundAFramedBox)
{
    // Over a white window: the veil, the box, the title bar and the frame.
    juce::Component window;
    window.setBounds (0, 0, 1340, 700);
    struct White : juce::Component { void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::white); } } white;
    white.setBounds (window.getLocalBounds());
    EditPanel panel (1340, 700, 20, 20);
    window.addAndMakeVisible (white);
    window.addAndMakeVisible (panel);
    const auto image = uitest::render (window);

    // White under 0xA0000000: 255 x (1 - 160/255) = 95.
    const auto veil = image.getPixelAt (40, 40);
    EXPECT_NEAR (veil.getRed(), 95, 1);
    EXPECT_EQ (veil.getRed(), veil.getBlue());
    EXPECT_EQ (uitest::pixel (image, 600, 300), 0xFF000000u);          // box
    EXPECT_EQ (uitest::pixel (image, 200, 115), 0xFF555555u);          // title bar
    for (auto [x, y] : { std::pair { 80, 300 }, std::pair { 81, 300 }, std::pair { 1259, 300 },
                         std::pair { 600, 599 }, std::pair { 600, 100 } })
        EXPECT_EQ (uitest::pixel (image, x, y), 0xFF808080u) << x << ", " << y;   // frame
    EXPECT_EQ (uitest::pixel (image, 82, 300), 0xFF000000u);
}

TEST (EditPanel, RowsOutsideTheCatalogueAreIgnored)
{
    EditPanel panel (1340, 700, 19, 22);
    EXPECT_EQ (panel.sliders.size(), 2);
}

TEST (EditPanel, FadesInOverItsTime)
{
    EditPanel panel (1340, 700, 20, 20);
    panel.setVisible (false);
    const auto fade = uitest::measureFade ([&] { panel.showPanel(); }, [&] { return &panel; }, true);
    EXPECT_TRUE (panel.isVisible());
    EXPECT_TRUE (fade.allows (200.0)) << fade;
}
