#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The about screen: the instrument's rear view over the whole window with the
// version text on its blank metal plate. A click anywhere, the text included,
// fades it out.
class KvoAboutScreen : public juce::Component
{
public:
    static constexpr int fadeMilliseconds = 250;

    KvoAboutScreen();
    ~KvoAboutScreen() override;

    // The credits, the edition line and the version with the build date.
    static juce::String composeAboutText (const juce::Time& buildDate);
    // The same for this build.
    static juce::String composeAboutText();

    // Writes the about text into the label, brings the screen to the front
    // and fades it in (what "About" in the help menu and a click on the
    // panel's name plate do).
    void showScreen();

    void paint (juce::Graphics& g) override;
    void mouseDown (const juce::MouseEvent& event) override;

    std::unique_ptr<juce::Label> lblVersionInfo;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KvoAboutScreen)
};
