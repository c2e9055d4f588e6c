#include "info/KvoAboutScreen.h"

#include "BinaryData.h"

namespace
{
    // The project's version, as the build gives it to the plug-in.
    constexpr const char* version = JucePlugin_VersionString;
}

KvoAboutScreen::KvoAboutScreen()
{
    lblVersionInfo = std::make_unique<juce::Label> ("lblVersionInfo", TRANS ("label text"));
    addAndMakeVisible (*lblVersionInfo);
    lblVersionInfo->setBounds (604, 392, 420, 140);
    lblVersionInfo->setFont (juce::Font (15.0f).withTypefaceStyle ("Regular"));
    lblVersionInfo->setJustificationType (juce::Justification::centred);
    lblVersionInfo->setEditable (false, false, false);
    lblVersionInfo->setColour (juce::Label::textColourId, juce::Colours::black);

    // A click on the text closes the screen like a click on the picture.
    lblVersionInfo->addMouseListener (this, false);
}

KvoAboutScreen::~KvoAboutScreen()
{
    lblVersionInfo->removeMouseListener (this);
}

juce::String KvoAboutScreen::composeAboutText (const juce::Time& buildDate)
{
    return juce::String ("\n")
         + "GUI design: Vorsan Design Team\n"
         + "Code: KVO Software Team\n"
         + "Project manager: Vorsan Product Management\n"
         + "\n"
         + "*** FREE EDITION FOR LINUX ***\n"
         + "\n"
         + "Version: " + version + " - build date: " + buildDate.toString (true, false) + " ";
}

juce::String KvoAboutScreen::composeAboutText()
{
    return composeAboutText (juce::Time::getCompilationDate());
}

void KvoAboutScreen::showScreen()
{
    lblVersionInfo->setText (composeAboutText(), juce::dontSendNotification);
    toFront (true);
    juce::Desktop::getInstance().getAnimator().fadeIn (this, fadeMilliseconds);
}

void KvoAboutScreen::paint (juce::Graphics& g)
{
    g.drawImageAt (juce::ImageCache::getFromMemory (BinaryData::about_png, BinaryData::about_pngSize), 0, 0);
}

void KvoAboutScreen::mouseDown (const juce::MouseEvent&)
{
    juce::Desktop::getInstance().getAnimator().fadeOut (this, fadeMilliseconds);
}
