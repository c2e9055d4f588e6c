#pragma once

#include <juce_audio_utils/juce_audio_utils.h>

#include <array>
#include <functional>
#include <memory>

#include "core/PluginProcessor.h"
#include "ui/ImgToggleButton.h"
#include "ui/ImgVerticalSlider.h"
#include "ui/KeyboardCustom.h"
#include "ui/StaticImage.h"

// The instrument's front panel: the panel photograph with image-drawn faders
// and switches over the painted slots, the modulation lamp and the on-screen
// keyboard in the well below.
//
// Every control carries its parameter's catalogue identifier as component ID;
// the panel finds controls and parameters through that identifier alone.
// Controls send their changes straight to the parameters; the way back is
// Update, called by the main window's poll without notifications, so nothing
// echoes. Keys played with the mouse go to the processor as notes; incoming
// MIDI, handed over by the processor, is only mirrored on the keyboard.
class MainSection : public juce::Component,
                    public juce::Slider::Listener,
                    public juce::Timer,
                    public juce::Button::Listener,
                    public juce::MidiKeyboardState::Listener
{
public:
    static constexpr int panelWidth = 1340;
    static constexpr int panelHeight = 1013;
    static constexpr int faderCount = 15;
    static constexpr int switchCount = 5;

    // Inclusive pixel bounds of the name plate: a click there asks for the
    // about screen.
    static inline const juce::Rectangle<int> namePlate { 104, 173, 324, 22 };

    explicit MainSection (VorsanTembrolinAudioProcessor& processor);
    ~MainSection() override;

    // Sets the control whose component ID is `id` without notifying anyone:
    // a fader takes the value, a switch is on for any value above 0. An
    // unknown ID does nothing. A control that already shows the value is not
    // repainted.
    void Update (const juce::String& id, float value);

    // The catalogue row with this identifier (exact match), -1 if none.
    static int getIntParamIdFromTextId (const juce::String& id);

    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;
    void handleNoteOn (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;
    void handleNoteOff (juce::MidiKeyboardState*, int midiChannel, int midiNoteNumber, float velocity) override;

    // Mirrors the MIDI events that reached the processor since the last tick:
    // every millisecond while MIDI arrives, every ten after a quiet spell.
    void timerCallback() override;
    static constexpr int activeMidiInterval = 1;
    static constexpr int quietMidiInterval = 10;
    static constexpr int ticksBeforeQuiet = 250;

    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    std::function<void()> onAboutRequest;

    VorsanTembrolinAudioProcessor& processor;
    std::array<std::unique_ptr<ImgVerticalSlider>, faderCount> faders;
    std::array<std::unique_ptr<ImgToggleButton>, switchCount> switches;
    std::unique_ptr<StaticImage> modLamp;
    juce::MidiKeyboardState keyboardState;
    std::unique_ptr<KeyboardCustom> keyboard;

private:
    // Value bubble, readout and double-click reset for every fader.
    void addParameterExtra();
    void applyIncomingMidi (const juce::MidiMessage& message);

    juce::Image background;
    // The events taken from the processor on each tick; its storage is kept,
    // so ticks do not allocate once it has grown.
    juce::MidiBuffer incomingMidi;
    int emptyTicks = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainSection)
};
