#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <initializer_list>

namespace uitest
{
    // A film strip whose frames are solid colours, one per frame, so that the
    // frame a control shows can be told from a single pixel.
    inline juce::Image makeStrip (int width, int frameHeight, std::initializer_list<juce::uint32> colours)
    {
        juce::Image strip (juce::Image::ARGB, width, frameHeight * (int) colours.size(), true);
        juce::Graphics g (strip);
        int y = 0;

        for (auto colour : colours)
        {
            g.setColour (juce::Colour (colour));
            g.fillRect (0, y, width, frameHeight);
            y += frameHeight;
        }

        return strip;
    }

    inline juce::Image render (juce::Component& component)
    {
        return component.createComponentSnapshot (component.getLocalBounds(), false, 1.0f);
    }

    inline juce::uint32 pixel (const juce::Image& image, int x, int y)
    {
        return image.getPixelAt (x, y).getARGB();
    }

    // A mouse event as the framework would deliver it to the component.
    inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position,
                                        juce::ModifierKeys mods)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), position, mods,
                 juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                 &component, &component, now, position, now, 1, false };
    }

    inline juce::ModifierKeys leftButton()  { return juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier); }
    inline juce::ModifierKeys rightButton() { return juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier); }

    // Runs the message loop (timers, asynchronous callbacks) for a while.
    inline void runMessageLoop (int milliseconds)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }
}
