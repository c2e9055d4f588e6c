#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <ostream>
#include <initializer_list>
#include <utility>

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

    // The first and last columns of `area` holding a pixel brighter than
    // `threshold` (text drawn in white on a dark ground); -1, -1 if none.
    inline std::pair<int, int> brightColumns (const juce::Image& image, juce::Rectangle<int> area,
                                              float threshold)
    {
        int first = -1, last = -1;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y).getPerceivedBrightness() > threshold)
                {
                    first = first < 0 ? x : juce::jmin (first, x);
                    last = juce::jmax (last, x);
                }

        return { first, last };
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

    // Waits until the desktop animator has finished every animation and
    // stopped its timer, so that the next fade starts its clock afresh.
    inline void waitForAnimatorIdle()
    {
        auto& animator = juce::Desktop::getInstance().getAnimator();

        for (int i = 0; i < 300 && animator.isAnimating(); ++i)
            runMessageLoop (10);

        runMessageLoop (60);
    }

    // What a fade's opacity samples say about its length: it lasts at least
    // `shortest` and at most `longest` milliseconds.
    struct FadeLength
    {
        double shortest = 0.0;
        double longest = 1.0e9;
        int samples = 0;

        bool allows (double milliseconds) const
        {
            return samples > 0 && milliseconds >= shortest && milliseconds <= longest;
        }
    };

    inline std::ostream& operator<< (std::ostream& out, const FadeLength& f)
    {
        return out << f.shortest << " to " << f.longest << " ms from " << f.samples << " samples";
    }

    // Runs the fade that `start` begins and bounds its length from the
    // opacity of the component that `animated` returns (the overlay itself
    // for a fade-in, the animator's stand-in for a fade-out; null while there
    // is none).
    //
    // The animator sets the opacity at its timer ticks to the fraction of the
    // fade's length that has passed since the fade began. A sample whose
    // opacity differs from the one before was set by a tick between the two
    // samples, so elapsed / progress, measured from the earlier and the later
    // sample, bounds the length from below and above. Busy machines only
    // loosen the bounds; they never make them wrong.
    inline FadeLength measureFade (const std::function<void()>& start,
                                   const std::function<juce::Component*()>& animated,
                                   bool fadingIn)
    {
        waitForAnimatorIdle();
        auto& animator = juce::Desktop::getInstance().getAnimator();
        auto now = [] { return juce::Time::getMillisecondCounterHiRes(); };
        const double beforeStart = now();
        start();
        const double afterStart = now();

        FadeLength length;
        double previousSample = afterStart;
        float previousAlpha = -1.0f;

        while (now() - beforeStart < 3000.0)
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
            const double sample = now();

            if (auto* component = animated())
            {
                const float alpha = component->getAlpha();
                const double progress = fadingIn ? alpha : 1.0 - alpha;

                if (alpha != previousAlpha && progress > 0.05 && progress < 0.95)
                {
                    // The opacity is kept in 8 bits, and the animator counts
                    // whole milliseconds.
                    constexpr double rounding = 0.5 / 255.0;
                    length.shortest = juce::jmax (length.shortest, (previousSample - afterStart - 1.0) / (progress + rounding));
                    length.longest = juce::jmin (length.longest, (sample - beforeStart + 1.0) / (progress - rounding));
                    ++length.samples;
                }

                previousAlpha = alpha;
            }

            previousSample = sample;

            if (! animator.isAnimating())
                break;
        }

        return length;
    }

    // The stand-in that the animator puts beside a component fading out: a
    // child of `parent` that was not there when this was called.
    inline std::function<juce::Component*()> fadeOutStandIn (juce::Component& parent)
    {
        const auto before = parent.getChildren();
        return [&parent, before]() -> juce::Component*
        {
            for (auto* child : parent.getChildren())
                if (! before.contains (child))
                    return child;

            return nullptr;
        };
    }


    // A component put on the (virtual) display for the life of this object,
    // so that keys and clicks reach it through its window as they would from
    // the user. Needs a display.
    struct OnScreen
    {
        explicit OnScreen (juce::Component& c) : component (c)
        {
            component.setVisible (true);
            component.addToDesktop (0);
            runMessageLoop (50);
        }

        ~OnScreen() { component.removeFromDesktop(); }

        // Returns whether anyone reported the key as used.
        bool pressKey (const juce::KeyPress& key)
        {
            return component.getPeer()->handleKeyPress (key);
        }

        // A left click at `at`, in the component's own coordinates.
        void click (juce::Point<int> at)
        {
            const auto time = juce::Time::currentTimeMillis();
            mouse (at, leftButton(), time);
            mouse (at, {}, time + 20);
        }

        // A press at `from`, a move by `by` with the button held, a release.
        void drag (juce::Point<int> from, juce::Point<int> by)
        {
            const auto time = juce::Time::currentTimeMillis();
            mouse (from, leftButton(), time);
            mouse (from + by, leftButton(), time + 50);
            mouse (from + by, {}, time + 100);
        }

        // The pointer moved to `at` with no button held.
        void move (juce::Point<int> at)
        {
            mouse (at, {}, juce::Time::currentTimeMillis());
        }

        // The mouse wheel turned at `at` (a negative deltaY scrolls down).
        void wheel (juce::Point<int> at, float deltaY)
        {
            move (at);
            juce::MouseWheelDetails details;
            details.deltaX = 0.0f;
            details.deltaY = deltaY;
            details.isReversed = false;
            details.isSmooth = false;
            details.isInertial = false;
            component.getPeer()->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse, at.toFloat(),
                                                   juce::Time::currentTimeMillis(), details);
        }

        void mouse (juce::Point<int> at, juce::ModifierKeys buttons, juce::int64 time)
        {
            using Source = juce::MouseInputSource;
            component.getPeer()->handleMouseEvent (Source::InputSourceType::mouse, at.toFloat(), buttons,
                                                   Source::defaultPressure, Source::defaultOrientation, time);
        }

        juce::Component& component;
    };

    inline bool hasDisplay()
    {
        return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
    }
}
