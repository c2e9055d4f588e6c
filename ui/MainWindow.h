#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

#include "core/PluginProcessor.h"
#include "info/InnerDialog.h"
#include "info/KvoAboutScreen.h"
#include "info/NewsFeedClient.h"
#include "info/SimpleHtmlBrowser.h"
#include "info/WebAddresses.h"
#include "ui/EditPanel.h"
#include "ui/MainSection.h"
#include "ui/StaticImage.h"
#include "ui/TopSection.h"

// The whole visible interface in a fixed 1340 x 700 design space: the front
// panel, the strip that hides the panel picture's lower edge, and the header,
// news strip, edit panel, dialogs, about screen and document browser that lie
// above them. The editor scales this component when the display is narrower.
//
// A 50 ms poll copies every parameter value into the panel's controls and
// sets the modulation lamp. It is the only way from the processor back to
// the screen, and it never notifies, so nothing is sent back.
class MainWindow : public juce::Component,
                   public juce::Timer
{
public:
    static constexpr int designWidth = 1340;
    static constexpr int designHeight = 700;

    // The news addresses are the project's own; a test or a screenshot
    // harness may point the news strip at servers of its own instead.
    explicit MainWindow (VorsanTembrolinAudioProcessor& processor,
                         const juce::String& brandNewsAddress = WebAddresses::brandNewsUrl,
                         const juce::String& makerNewsAddress = WebAddresses::makerNewsUrl);
    ~MainWindow() override;

    void timerCallback() override;
    void paint (juce::Graphics& g) override;
    void resized() override {}

    // What the header strip's help menu asks for (onHelpCommand): the
    // licence text, a news check or the manual. Other codes do nothing.
    void runHelpCommand (int command);
    // Sets a parameter from the edit panel (onParameterChange); an index
    // outside the catalogue does nothing.
    void setParameterFromEditPanel (int index, float normalisedValue);
    // Writes the about text and fades the about screen in on top of
    // everything (the panel's name plate and the help menu's "About").
    void showAboutScreen();
    // Starts a new page history with this document and fades the browser in.
    void openDocument (const juce::String& name);

    // Members in this order, destroyed in the reverse one: the news client
    // goes first (it stops its check and saves its record), the header last.
    VorsanTembrolinAudioProcessor& processor;
    std::unique_ptr<TopSection> topSection;
    std::unique_ptr<MainSection> mainSection;
    std::unique_ptr<StaticImage> cablesMask;
    std::unique_ptr<EditPanel> editPanel;
    InnerDialog innerDialog;
    KvoAboutScreen aboutScreen;
    std::unique_ptr<SimpleHtmlBrowser> htmlBrowser;
    std::unique_ptr<NewsFeedClient> newsFeed;

    static constexpr const char* licenceDocument = "eula.htm";
    static constexpr const char* manualDocument = "manual.htm";
    // The one catalogue row edited in the edit panel, Global Tuning.
    static constexpr int editPanelRow = 20;

private:

    // Rows 0..19 have a control on the panel; row 20 is edited elsewhere.
    static constexpr int panelRows = 20;
    // The catalogue identifiers as strings, made once rather than on every poll.
    std::array<juce::String, panelRows> panelIds;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
