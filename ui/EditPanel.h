#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

#include "ui/CompositeSlider.h"

// The overlay that edits the parameters without a control on the front panel.
// It darkens the whole window and shows a framed box titled "EDIT PARAMETERS"
// holding one CompositeSlider per catalogue row, in columns of up to eight.
//
// The owner fades it in and gives it the keyboard focus; the panel fades
// itself out on Escape or on a click outside the box. It holds no parameter
// state: changes go out through onParameterChange, and the owner writes the
// current value and readout back with Update.
class EditPanel : public juce::Component,
                  public juce::KeyListener
{
public:
    static constexpr int fadeMilliseconds = 200;
    static constexpr int rowSpacing = 55;
    static constexpr int columnSpacing = 370;

    // Carries a control for every catalogue row from firstRow to lastRow
    // (none when lastRow < firstRow).
    EditPanel (int width, int height, int firstRow, int lastRow);
    ~EditPanel() override;

    // Fades the panel in and gives it the keyboard focus (the owner's EDIT
    // handler).
    void showPanel();

    void addParameter (int row);
    void Update (const juce::String& id, float value, const juce::String& readout);

    using juce::Component::keyPressed;
    bool keyPressed (const juce::KeyPress& key, juce::Component* originatingComponent) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void focusOfChildComponentChanged (FocusChangeType cause) override;
    void paint (juce::Graphics& g) override;

    juce::Rectangle<int> getBoxBounds() const { return { boxX, boxY, boxWidth, boxHeight }; }

    std::function<void (int row, float normalisedValue)> onParameterChange;
    juce::OwnedArray<CompositeSlider> sliders;
    int nextX = 100;
    int nextY = 150;
    int boxX = 0;
    int boxY = 0;
    int boxWidth = 0;
    int boxHeight = 0;

private:
    void fadeOut();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (EditPanel)
};
