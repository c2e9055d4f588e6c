#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

#include "ui/ImgToggleButton.h"
#include "ui/StaticImage.h"

class VorsanTembrolinAudioProcessor;
class InnerDialog;

// The strip across the top of the window: masks the unused top of the panel
// picture and carries the EDIT button and the HELP button with its menu.
//
// It does not act on the requests itself: the owner installs onEditRequest,
// onAboutRequest and onHelpCommand, and an empty callback is skipped. The only
// action of its own is opening the support page in the web browser.
class TopSection : public juce::Component
{
public:
    // Item numbers of the help menu; 0 means the menu was dismissed.
    enum HelpItem
    {
        inlineManualItem = 1,
        supportItem = 2,
        eulaItem = 3,
        newsItem = 4,
        aboutItem = 5
    };

    // Command codes for onHelpCommand.
    enum HelpCommand
    {
        showLicenceCommand = 0,
        checkNewsCommand = 1,
        showManualCommand = 2
    };

    static constexpr juce::uint32 menuBackgroundColour = 0xF0101010;
    static constexpr juce::uint32 menuHighlightColour = 0xFFA0A0A0;
    static constexpr juce::uint32 menuHighlightTextColour = 0xFF000000;
    static constexpr juce::uint32 menuLightItemColour = 0xFFF0F0F0;

    TopSection (int width, int height, VorsanTembrolinAudioProcessor& processor, InnerDialog& dialog);

    void paint (juce::Graphics&) override {}
    void resized() override {}

    // The help menu as HELP shows it, built anew for every click.
    juce::PopupMenu buildHelpMenu();
    // Shows the help menu at the mouse and waits for the choice (a modal
    // loop); without a display there is no menu and nothing happens.
    void showHelpMenu();
    // Carries out a help menu choice; 0 and unknown numbers do nothing.
    void runHelpItem (int item);

    std::function<void()> onEditRequest;
    std::function<void()> onAboutRequest;
    std::function<void (int)> onHelpCommand;
    juce::LookAndFeel_V4 menuLookAndFeel;
    std::unique_ptr<StaticImage> headerMask;
    std::unique_ptr<ImgToggleButton> editButton;
    std::unique_ptr<ImgToggleButton> helpButton;

    // Opens a page in the system's web browser; replaceable so that the
    // support item can be tried without starting a browser.
    std::function<void (const juce::URL&)> openWebPage;

private:
    // Kept for the owner's sake; the strip itself does not use them.
    [[maybe_unused]] VorsanTembrolinAudioProcessor& processor;
    [[maybe_unused]] InnerDialog& dialog;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TopSection)
};
