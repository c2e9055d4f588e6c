// Renders the overlays of the main window over the panel picture, as the
// player would see them, into PNG files:
//
//   vorsan-overlay-shots FOLDER
//
// edit-panel.png    the edit panel over the darkened window, header included
// about.png         the about screen with its version text
// message-box.png   the document browser's message box, with a long message
// question.png      the in-window question dialog as the main window lays it out
//
// No display is needed. The help menu can only be seen open on a display; the
// gui tests take a screenshot of it when VORSAN_SCREENSHOT_DIR is set.

#include "core/PluginProcessor.h"
#include "info/InnerDialog.h"
#include "info/KvoAboutScreen.h"
#include "info/KvoDialogWindow.h"
#include "ui/EditPanel.h"
#include "ui/StaticImage.h"
#include "ui/TopSection.h"
#include "BinaryData.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
    juce::Image picture (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }

    // The window's base: the top 700 rows of the panel picture.
    struct Window : juce::Component
    {
        Window()
        {
            setBounds (0, 0, 1340, 700);
            addAndMakeVisible (panel);
            panel.setBounds (0, 0, 1340, 1013);
        }

        StaticImage panel { picture (BinaryData::background_png, BinaryData::background_pngSize), 1 };
    };

    bool save (juce::Component& c, const juce::File& file)
    {
        c.setVisible (true);
        const auto image = c.createComponentSnapshot (c.getLocalBounds(), false, 1.0f);
        file.deleteFile();
        juce::FileOutputStream out (file);
        juce::PNGImageFormat png;
        const bool ok = out.openedOk() && png.writeImageToStream (image, out);
        std::cout << (ok ? "wrote " : "could not write ") << file.getFullPathName() << "\n";
        return ok;
    }
}

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: vorsan-overlay-shots FOLDER\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI framework;
    const juce::File folder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    folder.createDirectory();
    bool ok = true;

    VorsanTembrolinAudioProcessor processor;
    InnerDialog dialog;

    {
        Window window;
        TopSection strip (1340, 158, processor, dialog);
        window.addAndMakeVisible (strip);
        EditPanel editPanel (1340, 700, 20, 20);
        editPanel.Update ("edt_tgl", 64.0f, processor.getParameterReadout (20));
        window.addAndMakeVisible (editPanel);
        ok &= save (window, folder.getChildFile ("edit-panel.png"));
    }

    {
        KvoAboutScreen about;
        about.setBounds (0, 0, 1340, 700);
        about.lblVersionInfo->setText (KvoAboutScreen::composeAboutText(), juce::dontSendNotification);
        ok &= save (about, folder.getChildFile ("about.png"));
    }

    {
        Window window;
        KvoDialogWindow box;
        window.addChildComponent (box);
        box.Open (KvoDialogWindow::messageBox, "You got a message!",
                  "This message is far too long to fit on the single line of the box, so it is shortened.");
        juce::Desktop::getInstance().getAnimator().cancelAllAnimations (true);
        ok &= save (window, folder.getChildFile ("message-box.png"));
    }

    {
        Window window;
        InnerDialog question;
        question.layOut (600, 210, 150);
        question.lblTitle->setText ("Question", juce::dontSendNotification);
        question.lblMessage->setText ("Do you want to go on?", juce::dontSendNotification);
        question.setCentrePosition (window.getLocalBounds().getCentre());
        window.addAndMakeVisible (question);
        ok &= save (window, folder.getChildFile ("question.png"));
    }

    return ok ? 0 : 1;
}
