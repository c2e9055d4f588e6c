// Writes one picture of everything the instrument shows, for a person to
// look at: the window as the player sees it, the whole panel picture with
// its controls in the opposite states and their bounds outlined, and every
// embedded picture on its own.

#include "ui/ImgToggleButton.h"
#include "ui/ImgVerticalSlider.h"
#include "ui/KeyboardCustom.h"
#include "ui/StaticImage.h"
#include "BinaryData.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
    juce::Image picture (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    struct FaderPlace { const char* id; int x; double defaultValue; };
    struct SwitchPlace { const char* id; const char* data; int size; int x, y, w, h, frames; bool defaultOn; };

    // The panel's controls at their places (panel coordinates).
    const FaderPlace faders[] = {
        { "flt_atk", 87, 64 / 127.0 },   { "flt_dcy", 139, 64 / 127.0 }, { "flt_rng", 191, 64 / 127.0 },
        { "flt_res", 243, 0.0 },         { "brs_vol", 348, 64 / 127.0 }, { "seq_low", 452, 64 / 127.0 },
        { "seq_mid", 504, 64 / 127.0 },  { "seq_hig", 555, 64 / 127.0 }, { "sln_crs", 747, 0.0 },
        { "sln_sus", 799, 72 / 127.0 },  { "sln_vol", 851, 64 / 127.0 }, { "mod_dln", 955, 64 / 127.0 },
        { "mod_rat", 1007, 80 / 127.0 }, { "mod_dep", 1059, 0.0 },       { "com_mst", 1215, 1.0 },
    };

    // The front panel put together as the program shows it.
    struct AssembledPanel : juce::Component
    {
        explicit AssembledPanel (bool defaults)
        {
            setBounds (0, 0, 1340, 1013);
            const auto knob = picture (BinaryData::fader_png, BinaryData::fader_pngSize);
            int i = 0;

            for (const auto& f : faders)
            {
                auto slider = std::make_unique<ImgVerticalSlider>();
                slider->setBounds (f.x, 232, 37, 104);
                slider->setKnobImage (knob);
                slider->setComponentID (f.id);
                // Otherwise bottom, top and the middle in turn.
                slider->setValue (defaults ? f.defaultValue : (i % 3) * 0.5, juce::dontSendNotification);
                addAndMakeVisible (*slider);
                sliders.push_back (std::move (slider));
                ++i;
            }

            // Built here: the resource pointers are another file's statics.
            const SwitchPlace switches[] = {
                { "brs_tog", BinaryData::push_brass_png, BinaryData::push_brass_pngSize, 288, 223, 52, 86, 3, false },
                { "sft_f16", BinaryData::push_16_png, BinaryData::push_16_pngSize, 618, 223, 52, 86, 3, false },
                { "sft_f08", BinaryData::push_8_png, BinaryData::push_8_pngSize, 670, 223, 52, 86, 3, true },
                { "mod_dst", BinaryData::push_mod_png, BinaryData::push_mod_pngSize, 1104, 223, 52, 86, 3, true },
                { "com_trs", BinaryData::transpose_png, BinaryData::transpose_pngSize, 649, 309, 42, 27, 2, true },
            };

            for (const auto& s : switches)
            {
                auto button = std::make_unique<ImgToggleButton> (picture (s.data, s.size), true, s.frames);
                button->setBounds (s.x, s.y, s.w, s.h);
                button->setComponentID (s.id);
                button->setToggleState (defaults ? s.defaultOn : ! s.defaultOn, juce::dontSendNotification);
                addAndMakeVisible (*button);
                buttons.push_back (std::move (button));
            }

            // Pressed, in the second view, to show the middle frame in place.
            if (! defaults)
                buttons[1]->mouseIsDown = true, buttons[1]->currentFrame = 1;

            lamp = std::make_unique<StaticImage> (picture (BinaryData::mod_light_png, BinaryData::mod_light_pngSize), 1);
            lamp->setBounds (1104, 223, 52, 45);
            addAndMakeVisible (*lamp);

            keyboard = std::make_unique<KeyboardCustom> (keyboardState, juce::MidiKeyboardComponent::horizontalKeyboard);
            keyboard->setBounds (77, 431, 1189, 254);
            keyboard->setKeyRange (48, 96);
            keyboard->setScrollButtonsVisible (false);
            addAndMakeVisible (*keyboard);

            if (! defaults)
                for (int note : { 48, 60, 64, 67, 70, 73, 95, 96 })
                    keyboardState.noteOn (1, note, 1.0f);
        }

        ~AssembledPanel() override { keyboard.reset(); }

        void paint (juce::Graphics& g) override
        {
            g.drawImageAt (picture (BinaryData::background_png, BinaryData::background_pngSize), 0, 0);
        }

        std::vector<std::unique_ptr<ImgVerticalSlider>> sliders;
        std::vector<std::unique_ptr<ImgToggleButton>> buttons;
        std::unique_ptr<StaticImage> lamp;
        juce::MidiKeyboardState keyboardState;
        std::unique_ptr<KeyboardCustom> keyboard;
    };

    // The 1340 x 700 window: the panel, the header strip's mask and buttons,
    // and the cables mask over the panel picture's cut-off edge.
    juce::Image windowView()
    {
        juce::Component window;
        window.setBounds (0, 0, 1340, 700);
        AssembledPanel panel (true);
        window.addAndMakeVisible (panel);

        StaticImage header (picture (BinaryData::mask_preset_png, BinaryData::mask_preset_pngSize), 1);
        header.setBounds (0, 0, 1340, 158);
        window.addAndMakeVisible (header);
        ImgToggleButton edit (picture (BinaryData::edit_png, BinaryData::edit_pngSize), false, 2);
        edit.setBounds (937, 12, 85, 42);
        header.addAndMakeVisible (edit);
        ImgToggleButton help (picture (BinaryData::help_png, BinaryData::help_pngSize), false, 2);
        help.setBounds (1183, 12, 87, 42);
        header.addAndMakeVisible (help);

        StaticImage cables (picture (BinaryData::mask_cables_png, BinaryData::mask_cables_pngSize), 1);
        cables.setBounds (0, 685, 1340, 15);
        window.addAndMakeVisible (cables);

        auto image = window.createComponentSnapshot (window.getLocalBounds(), false, 1.0f);
        window.removeAllChildren();
        header.removeAllChildren();
        return image;
    }

    // The whole panel picture with the other states and every bound outlined.
    juce::Image outlinedPanel()
    {
        AssembledPanel panel (false);
        auto image = panel.createComponentSnapshot (panel.getLocalBounds(), false, 1.0f);
        juce::Graphics g (image);
        g.setColour (juce::Colours::red.withAlpha (0.8f));

        for (auto* child : panel.getChildren())
            g.drawRect (child->getBounds(), 1);

        g.setColour (juce::Colours::yellow.withAlpha (0.8f));
        g.drawRect (104, 173, 324, 22, 1);  // name plate
        return image;
    }

    void drawCheckerboard (juce::Graphics& g, juce::Rectangle<int> area)
    {
        for (int y = area.getY(); y < area.getBottom(); y += 8)
            for (int x = area.getX(); x < area.getRight(); x += 8)
            {
                g.setColour (((x + y) / 8) % 2 == 0 ? juce::Colour (0xFF9A9A9A) : juce::Colour (0xFFC8C8C8));
                g.fillRect (juce::Rectangle<int> (x, y, 8, 8).getIntersection (area));
            }
    }

    struct Item { juce::String caption; juce::Image image; };

    // Lays the items out in shelves, left to right, each over a checkerboard
    // (to show transparency) with its caption below.
    juce::Image drawSheet (const std::vector<Item>& items, int width)
    {
        constexpr int gap = 20, captionHeight = 22;
        std::vector<juce::Rectangle<int>> places;
        int x = gap, y = gap, shelf = 0;

        for (const auto& item : items)
        {
            const int w = item.image.getWidth(), h = item.image.getHeight() + captionHeight;

            if (x + w + gap > width && x > gap)
            {
                x = gap;
                y += shelf + gap;
                shelf = 0;
            }

            places.push_back ({ x, y, w, h });
            x += juce::jmax (w, 190) + gap;  // room for the caption
            shelf = juce::jmax (shelf, h);
        }

        juce::Image sheet (juce::Image::RGB, width, y + shelf + gap, true);
        juce::Graphics g (sheet);
        g.fillAll (juce::Colour (0xFF303236));
        g.setFont (15.0f);

        for (size_t i = 0; i < items.size(); ++i)
        {
            const auto& p = places[i];
            const auto& image = items[i].image;
            drawCheckerboard (g, { p.getX(), p.getY(), image.getWidth(), image.getHeight() });
            g.drawImageAt (image, p.getX(), p.getY());
            g.setColour (juce::Colours::white);
            g.drawText (items[i].caption, p.getX(), p.getBottom() - captionHeight + 3, 1000, captionHeight - 3,
                        juce::Justification::topLeft, false);
        }

        return sheet;
    }
}

TEST (ContactSheet, WritesEveryPictureAndTheAssembledPanel)
{
    std::vector<Item> items;
    items.push_back ({ "window, 1340 x 700, controls at their defaults", windowView() });
    items.push_back ({ "panel picture, controls in other states, bounds outlined", outlinedPanel() });

    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        int size = 0;
        const auto* data = BinaryData::getNamedResource (BinaryData::namedResourceList[i], size);
        const juce::String file (BinaryData::originalFilenames[i]);

        if (data == nullptr || ! file.endsWith (".png"))
            continue;

        const auto image = juce::ImageFileFormat::loadFrom (data, (size_t) size);
        ASSERT_TRUE (image.isValid()) << file;
        items.push_back ({ file + "  " + juce::String (image.getWidth()) + " x " + juce::String (image.getHeight())
                               + (image.hasAlphaChannel() ? "  alpha" : ""),
                           image });
    }

    EXPECT_EQ (items.size(), 2u + 29u);

    const auto sheet = drawSheet (items, 2 * 1340 + 3 * 20);
    const juce::File file (juce::String (VORSAN_BUILD_DIR) + "/ui-contact-sheet.png");
    file.deleteFile();

    {
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk()) << file.getFullPathName();
        juce::PNGImageFormat png;
        ASSERT_TRUE (png.writeImageToStream (sheet, out));
    }

    EXPECT_EQ (juce::ImageFileFormat::loadFrom (file).getWidth(), sheet.getWidth());
    std::cout << "contact sheet: " << file.getFullPathName() << std::endl;
}
