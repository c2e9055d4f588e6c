#include "ui/TopSection.h"
#include "core/PluginProcessor.h"
#include "info/InnerDialog.h"
#include "info/WebAddresses.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    // The strip with every callback recorded as a line of text.
    struct Strip : testing::Test
    {
        void installCallbacks()
        {
            strip.onEditRequest = [this] { calls.add ("edit"); };
            strip.onAboutRequest = [this] { calls.add ("about"); };
            strip.onHelpCommand = [this] (int code) { calls.add ("help " + juce::String (code)); };
        }

        Strip()
        {
            strip.openWebPage = [this] (const juce::URL& url) { calls.add ("web " + url.toString (true)); };
        }

        void clickButton (ImgToggleButton& button)
        {
            const juce::Point<float> centre (20.0f, 20.0f);
            button.mouseDown (uitest::mouseEvent (button, centre, uitest::leftButton()));
            pressedFrame = button.currentFrame;
            // Released off the button: still a click.
            button.mouseUp (uitest::mouseEvent (button, { 300.0f, 90.0f }, uitest::leftButton()));
        }

        VorsanTembrolinAudioProcessor processor;
        InnerDialog dialog;
        TopSection strip { 1340, 158, processor, dialog };
        juce::StringArray calls;
        int pressedFrame = -1;
    };

    struct Entry
    {
        juce::String text;
        int itemId;
        bool isHeader;
        bool isSeparator;
        juce::Colour colour;
    };

    std::vector<Entry> entries (const juce::PopupMenu& menu)
    {
        std::vector<Entry> list;

        for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        {
            const auto& item = it.getItem();
            EXPECT_TRUE (item.isEnabled) << item.text;
            EXPECT_FALSE (item.isTicked) << item.text;
            EXPECT_EQ (item.subMenu, nullptr) << item.text;
            list.push_back ({ item.text, item.itemID, item.isSectionHeader, item.isSeparator, item.colour });
        }

        return list;
    }
}

TEST_F (Strip, ChildrenSitWhereThePanelPictureExpectsThem)
{
    EXPECT_EQ (strip.getBounds(), juce::Rectangle<int> (0, 0, 1340, 158));
    ASSERT_EQ (strip.getNumChildComponents(), 3);
    // In this order, later ones above earlier ones.
    EXPECT_EQ (strip.getChildComponent (0), strip.headerMask.get());
    EXPECT_EQ (strip.getChildComponent (1), strip.editButton.get());
    EXPECT_EQ (strip.getChildComponent (2), strip.helpButton.get());

    EXPECT_EQ (strip.headerMask->getBounds(), juce::Rectangle<int> (0, 0, 1340, 158));
    EXPECT_EQ (strip.editButton->getBounds(), juce::Rectangle<int> (937, 12, 85, 42));
    EXPECT_EQ (strip.helpButton->getBounds(), juce::Rectangle<int> (1183, 12, 87, 42));

    EXPECT_FALSE (strip.editButton->latching);
    EXPECT_FALSE (strip.helpButton->latching);
    EXPECT_EQ (strip.editButton->frameHeight, 42);
    EXPECT_EQ (strip.helpButton->frameHeight, 42);
    EXPECT_EQ (strip.editButton->getTooltip(), "Click to edit more sound parameters.");

    EXPECT_FALSE (strip.onEditRequest);
    EXPECT_FALSE (strip.onAboutRequest);
    EXPECT_FALSE (strip.onHelpCommand);
}

TEST_F (Strip, MaskCoversTheTopAndLetsThePanelShowBelow)
{
    strip.setVisible (true);
    const auto image = uitest::render (strip);
    // The mask picture: a dark bar ending in a shadow at row 117; below it
    // nothing is drawn.
    EXPECT_EQ (image.getPixelAt (10, 10).getAlpha(), 255);
    EXPECT_EQ (image.getPixelAt (700, 100).getAlpha(), 255);
    EXPECT_GT (image.getPixelAt (700, 117).getAlpha(), 0);
    EXPECT_EQ (uitest::pixel (image, 700, 118), 0u);
    EXPECT_EQ (uitest::pixel (image, 10, 157), 0u);
    // The lower rows still belong to the strip, so the panel there gets no clicks.
    EXPECT_EQ (strip.getComponentAt (10, 150), strip.headerMask.get());
}

TEST_F (Strip, EditButtonAsksForTheEditPanel)
{
    clickButton (*strip.editButton);
    EXPECT_EQ (pressedFrame, 1);
    EXPECT_EQ (strip.editButton->currentFrame, 0);
    EXPECT_TRUE (calls.isEmpty());   // nothing installed: nothing happens

    installCallbacks();
    clickButton (*strip.editButton);
    EXPECT_EQ (calls, juce::StringArray ({ "edit" }));
}

TEST_F (Strip, HelpMenuListsItsItemsInOrder)
{
    const auto menu = strip.buildHelpMenu();
    const auto list = entries (menu);
    const juce::Colour light (0xFFF0F0F0);
    const juce::Colour schemeDefault;

    const std::vector<Entry> expected = {
        { "HELP", 0, true, false, schemeDefault },
        { "Inline manual", 1, false, false, light },
        { "Support and F.A.Q.", 2, false, false, light },
        { "", 0, false, true, schemeDefault },
        { "Read EULA", 3, false, false, schemeDefault },
        { "Check for news", 4, false, false, schemeDefault },
        { "", 0, false, true, schemeDefault },
        { "About", 5, false, false, light },
    };

    ASSERT_EQ (list.size(), expected.size());

    for (size_t i = 0; i < list.size(); ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (list[i].text, expected[i].text);
        EXPECT_EQ (list[i].itemId, expected[i].itemId);
        EXPECT_EQ (list[i].isHeader, expected[i].isHeader);
        EXPECT_EQ (list[i].isSeparator, expected[i].isSeparator);
        EXPECT_EQ (list[i].colour, expected[i].colour);
    }
}

TEST_F (Strip, HelpMenuColoursStartFromTheDarkScheme)
{
    auto& lf = strip.menuLookAndFeel;
    EXPECT_EQ (lf.findColour (juce::PopupMenu::backgroundColourId), juce::Colour (0xF0101010));
    EXPECT_EQ (lf.findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xFFA0A0A0));
    EXPECT_EQ (lf.findColour (juce::PopupMenu::highlightedTextColourId), juce::Colour (0xFF000000));
    // Items without a colour of their own use the dark scheme's text colour.
    const auto dark = juce::LookAndFeel_V4::getDarkColourScheme();
    EXPECT_EQ (lf.findColour (juce::PopupMenu::textColourId),
               dark.getUIColour (juce::LookAndFeel_V4::ColourScheme::UIColour::menuText));
}

TEST_F (Strip, EachHelpItemDoesItsJob)
{
    const juce::String supportPage = juce::String ("https://") + WebAddresses::brandHost + "/?a=support";
    struct Case { int item; juce::String withCallbacks; juce::String without; };
    const Case cases[] = {
        { 1, "help 2", "" },
        { 2, "web " + supportPage, "web " + supportPage },
        { 3, "help 0", "" },
        { 4, "help 1", "" },
        { 5, "about", "" },
        { 0, "", "" },    // dismissed
        { 6, "", "" },
        { -1, "", "" },
    };

    for (bool installed : { false, true })
    {
        if (installed)
            installCallbacks();

        for (const auto& c : cases)
        {
            SCOPED_TRACE (juce::String (c.item) + (installed ? " with callbacks" : " without"));
            calls.clear();
            strip.runHelpItem (c.item);
            EXPECT_EQ (calls.joinIntoString ("|"), installed ? c.withCallbacks : c.without);
        }
    }
}

TEST_F (Strip, HelpClickWithoutADisplayShowsNothingAndReturns)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr)
        GTEST_SKIP() << "a display is present (the menu would open)";

    installCallbacks();
    clickButton (*strip.helpButton);
    EXPECT_EQ (pressedFrame, 1);
    EXPECT_EQ (strip.helpButton->currentFrame, 0);
    EXPECT_TRUE (calls.isEmpty());
}
