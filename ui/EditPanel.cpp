#include "ui/EditPanel.h"

#include "core/FxParams.h"

EditPanel::EditPanel (int width, int height, int firstRow, int lastRow)
{
    setSize (width, height);
    addKeyListener (this);
    setWantsKeyboardFocus (true);

    boxX = 80;
    boxY = 100;
    boxWidth = width - 160;
    boxHeight = height - 200;

    for (int row = firstRow; row <= lastRow; ++row)
        addParameter (row);
}

EditPanel::~EditPanel()
{
    removeKeyListener (this);
}

void EditPanel::addParameter (int row)
{
    if (row < 0 || row >= NumFxParams)
        return;

    const FxParamDef& def = FxParams[row];
    auto* slider = new CompositeSlider (def.name, def.maxValue);

    slider->setComponentID (def.id);
    slider->setTopLeftPosition (nextX, nextY);
    slider->setDoubleClickReturnValue (true, (double) def.defaultValue, juce::ModifierKeys::altModifier);

    const int maxValue = def.maxValue;
    slider->onValueChange = [this, row, maxValue, slider]
    {
        if (onParameterChange)
            onParameterChange (row, (float) slider->getValue() / (float) maxValue);
    };

    slider->colour = juce::Colour (def.panelColour);
    addAndMakeVisible (slider);
    sliders.add (slider);

    nextY += rowSpacing;

    if (nextY >= boxY + boxHeight - 54)
    {
        nextY = boxY + 50;
        nextX += columnSpacing;
    }
}

void EditPanel::Update (const juce::String& id, float value, const juce::String& readout)
{
    for (auto* slider : sliders)
    {
        if (slider->getComponentID().compareNatural (id) != 0)
            continue;

        // The slider redraws itself when its value changes; the readout is
        // only redrawn when it reads differently, so the poll writing the
        // same value again costs no drawing.
        slider->setValue ((double) (int) value, juce::dontSendNotification);

        if (slider->readout != readout)
        {
            slider->readout = readout;
            slider->repaint();
        }
    }
}

bool EditPanel::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    if (key.isKeyCode (juce::KeyPress::escapeKey))
        fadeOut();

    // Never consumed: the key still reaches whoever listens further up.
    return false;
}

void EditPanel::mouseDown (const juce::MouseEvent& event)
{
    const auto position = event.getEventRelativeTo (this).getPosition();

    if (! getBoxBounds().contains (position))
        fadeOut();
}

void EditPanel::focusOfChildComponentChanged (FocusChangeType)
{
    // Typing in a value box moves the focus to its editor, and when the
    // editor closes (Return, Escape) the focus goes nowhere, so Escape would
    // no longer reach the panel. Take the focus back once the editor is gone,
    // unless it went elsewhere or the window itself lost it.
    juce::Component::SafePointer<EditPanel> self (this);

    juce::MessageManager::callAsync ([self]
    {
        if (self == nullptr || ! self->isShowing() || juce::Component::getCurrentlyFocusedComponent() != nullptr)
            return;

        if (auto* peer = self->getPeer(); peer != nullptr && peer->isFocused())
            self->grabKeyboardFocus();
    });
}

void EditPanel::showPanel()
{
    juce::Desktop::getInstance().getAnimator().fadeIn (this, fadeMilliseconds);
    // Escape reaches the panel only while it has the focus.
    grabKeyboardFocus();
}

void EditPanel::fadeOut()
{
    juce::Desktop::getInstance().getAnimator().fadeOut (this, fadeMilliseconds);
}

void EditPanel::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xA0000000));

    const auto box = getBoxBounds();
    g.setColour (juce::Colours::black);
    g.fillRect (box);

    const juce::Rectangle<int> titleBar (boxX, boxY, boxWidth, 30);
    g.setColour (juce::Colour (0xFF555555));
    g.fillRect (titleBar);

    g.setColour (juce::Colours::white);
    g.setFont (24.0f);
    g.drawFittedText ("EDIT PARAMETERS", titleBar, juce::Justification::centred, 1);

    g.setColour (juce::Colour (0xFF808080));
    g.drawRect (box, 2);
}
