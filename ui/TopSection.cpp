#include "ui/TopSection.h"

#include "BinaryData.h"
#include "info/WebAddresses.h"

namespace
{
    juce::Image picture (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }
}

TopSection::TopSection (int width, int height, VorsanTembrolinAudioProcessor& audioProcessor,
                        InnerDialog& innerDialog)
    : processor (audioProcessor),
      dialog (innerDialog)
{
    setSize (width, height);

    menuLookAndFeel.setColour (juce::PopupMenu::backgroundColourId, juce::Colour (menuBackgroundColour));
    menuLookAndFeel.setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colour (menuHighlightColour));
    menuLookAndFeel.setColour (juce::PopupMenu::highlightedTextColourId, juce::Colour (menuHighlightTextColour));

    // The mask spans the whole strip, so its lower 40 rows (no picture there)
    // let the panel show through but keep its clicks.
    headerMask = std::make_unique<StaticImage> (
        picture (BinaryData::mask_preset_png, BinaryData::mask_preset_pngSize), 1);
    headerMask->setBounds (0, 0, width, height);
    addAndMakeVisible (*headerMask);

    editButton = std::make_unique<ImgToggleButton> (
        picture (BinaryData::edit_png, BinaryData::edit_pngSize), false, 2);
    editButton->setBounds (937, 12, 85, 42);
    editButton->setTooltip ("Click to edit more sound parameters.");
    editButton->onClick = [this]
    {
        if (onEditRequest)
            onEditRequest();
    };
    addAndMakeVisible (*editButton);

    helpButton = std::make_unique<ImgToggleButton> (
        picture (BinaryData::help_png, BinaryData::help_pngSize), false, 2);
    helpButton->setBounds (1183, 12, 87, 42);
    helpButton->onClick = [this] { showHelpMenu(); };
    addAndMakeVisible (*helpButton);

    openWebPage = [] (const juce::URL& url) { url.launchInDefaultBrowser(); };
}

juce::PopupMenu TopSection::buildHelpMenu()
{
    const juce::Colour light (menuLightItemColour);

    juce::PopupMenu menu;
    menu.setLookAndFeel (&menuLookAndFeel);
    menu.addSectionHeader ("HELP");
    menu.addColouredItem (inlineManualItem, "Inline manual", light);
    menu.addColouredItem (supportItem, "Support and F.A.Q.", light);
    menu.addSeparator();
    menu.addItem (eulaItem, "Read EULA");
    menu.addItem (newsItem, "Check for news");
    menu.addSeparator();
    menu.addColouredItem (aboutItem, "About", light);
    return menu;
}

void TopSection::showHelpMenu()
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        return;

    // The strip may be deleted while the menu's modal loop runs.
    juce::Component::SafePointer<TopSection> self (this);
    const int choice = buildHelpMenu().show (0, 0, 0, 0);

    if (self != nullptr)
        runHelpItem (choice);
}

void TopSection::runHelpItem (int item)
{
    switch (item)
    {
        case inlineManualItem:
            if (onHelpCommand)
                onHelpCommand (showManualCommand);
            break;

        case supportItem:
            if (openWebPage)
                openWebPage (juce::URL (WebAddresses::supportUrl));
            break;

        case eulaItem:
            if (onHelpCommand)
                onHelpCommand (showLicenceCommand);
            break;

        case newsItem:
            if (onHelpCommand)
                onHelpCommand (checkNewsCommand);
            break;

        case aboutItem:
            if (onAboutRequest)
                onAboutRequest();
            break;

        default:
            break;
    }
}
