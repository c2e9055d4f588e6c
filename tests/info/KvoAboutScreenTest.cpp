#include "info/KvoAboutScreen.h"
#include "BinaryData.h"
#include "UiTestHelpers.h"

#include <gtest/gtest.h>

namespace
{
    juce::StringArray lines (const juce::String& text)
    {
        juce::StringArray result;
        result.addTokens (text, "\n", "");
        return result;
    }
}

TEST (KvoAboutScreen, AboutTextLines)
{
    const auto text = KvoAboutScreen::composeAboutText (juce::Time (2026, 11, 3, 14, 5));
    const auto l = lines (text);
    ASSERT_EQ (l.size(), 8) << text;
    EXPECT_EQ (l[0], "");
    EXPECT_TRUE (l[1].startsWith ("GUI design: "));
    EXPECT_TRUE (l[2].startsWith ("Code: "));
    EXPECT_TRUE (l[3].startsWith ("Project manager: "));

    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE (l[i].fromFirstOccurrenceOf (": ", false, false).trim().isNotEmpty()) << l[i];

    EXPECT_EQ (l[4], "");
    EXPECT_EQ (l[5], "*** FREE EDITION FOR LINUX ***");
    EXPECT_EQ (l[6], "");
    EXPECT_EQ (l[7], "Version: 1.0.0 - build date: 3 Dec 2026 ");
}

TEST (KvoAboutScreen, AboutTextCarriesThisBuildsDate)
{
    const auto last = lines (KvoAboutScreen::composeAboutText()).strings.getLast();
    ASSERT_TRUE (last.startsWith ("Version: 1.0.0 - build date: ")) << last;
    ASSERT_TRUE (last.endsWith (" ")) << last;

    // Day, abbreviated month and year, and nothing else (no time of day).
    juce::StringArray date;
    date.addTokens (last.fromFirstOccurrenceOf ("build date: ", false, false).trim(), " ", "");
    ASSERT_EQ (date.size(), 3) << last;
    const int day = date[0].getIntValue();
    const auto months = juce::StringArray ({ "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" });
    EXPECT_TRUE (day >= 1 && day <= 31) << last;
    EXPECT_EQ (juce::String (day), date[0]);
    EXPECT_TRUE (months.contains (date[1])) << last;
    const int year = date[2].getIntValue();
    EXPECT_GE (year, 2023);
    EXPECT_LE (year, juce::Time::getCurrentTime().getYear());
}

TEST (KvoAboutScreen, VersionLabelSitsOnThePlate)
{
    KvoAboutScreen screen;
    auto& label = *screen.lblVersionInfo;
    EXPECT_EQ (label.getName(), "lblVersionInfo");
    EXPECT_EQ (label.getText(), "label text");
    EXPECT_EQ (label.getBounds(), juce::Rectangle<int> (604, 392, 420, 140));
    EXPECT_EQ (label.getFont().getHeight(), 15.0f);
    EXPECT_EQ (label.getFont().getTypefaceStyle(), "Regular");
    EXPECT_EQ (label.getJustificationType(), juce::Justification::centred);
    EXPECT_FALSE (label.isEditable());
    EXPECT_EQ (label.findColour (juce::Label::textColourId), juce::Colours::black);
}

TEST (KvoAboutScreen, ShowingWritesTheTextAndFadesIn)
{
    juce::Component window;
    window.setBounds (0, 0, 1340, 700);
    KvoAboutScreen screen;
    screen.setBounds (0, 0, 1340, 700);
    window.addChildComponent (screen);
    juce::Component later;
    window.addAndMakeVisible (later);

    const auto fade = uitest::measureFade ([&] { screen.showScreen(); }, [&] { return &screen; }, true);
    EXPECT_TRUE (screen.isVisible());
    EXPECT_EQ (screen.lblVersionInfo->getText(), KvoAboutScreen::composeAboutText());
    EXPECT_EQ (window.getChildComponent (1), &screen);   // brought to the front
    EXPECT_TRUE (fade.allows (250.0)) << fade;

    // Shown again after a click closed it: from transparent again.
    screen.mouseDown (uitest::mouseEvent (screen, { 10.0f, 10.0f }, uitest::leftButton()));
    EXPECT_FALSE (screen.isVisible());
    screen.showScreen();
    EXPECT_TRUE (screen.isVisible());
    EXPECT_LT (screen.getAlpha(), 0.5f);
}

TEST (KvoAboutScreen, DrawsTheRearViewWithTheTextOnThePlate)
{
    KvoAboutScreen screen;
    screen.setBounds (0, 0, 1340, 700);
    screen.lblVersionInfo->setText (KvoAboutScreen::composeAboutText(), juce::dontSendNotification);
    const auto image = uitest::render (screen);
    const auto picture = juce::ImageFileFormat::loadFrom (BinaryData::about_png, BinaryData::about_pngSize);
    ASSERT_TRUE (picture.isValid());

    // Away from the label, the picture at its own size.
    for (auto [x, y] : { std::pair { 0, 0 }, std::pair { 240, 290 }, std::pair { 1100, 440 }, std::pair { 1339, 699 } })
        EXPECT_EQ (image.getPixelAt (x, y), picture.getPixelAt (x, y)) << x << ", " << y;

    // Dark text on the light plate, within the label.
    int dark = 0, outside = 0;

    for (int y = 380; y < 545; ++y)
        for (int x = 590; x < 1040; ++x)
        {
            const bool isText = image.getPixelAt (x, y).getPerceivedBrightness() < 0.3f
                             && picture.getPixelAt (x, y).getPerceivedBrightness() > 0.6f;

            if (isText)
            {
                const bool inLabel = screen.lblVersionInfo->getBounds().contains (x, y);
                (inLabel ? dark : outside)++;
            }
        }

    EXPECT_GT (dark, 200);
    EXPECT_EQ (outside, 0);
}
