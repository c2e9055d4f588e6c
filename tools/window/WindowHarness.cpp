// The instrument's window with its news strip asking news servers named on
// the command line instead of the project's own, so that news from a local
// server can be seen and timed:
//
//   vorsan-window-harness BRAND_NEWS_ADDRESS MAKER_NEWS_ADDRESS
//
// It is the editor that the stand-alone application shows, in a window of the
// same title, frame and size, on the same processor, data folder and record;
// what it leaves out is the sound device and the settings file (no audio
// plays, no sound is saved). It quits when its window is closed or on
// SIGTERM, SIGINT or SIGHUP. tools/window/session starts it with
// --news-servers.

#include "core/PluginProcessor.h"
#include "core/QuitOnSignal.h"
#include "ui/PluginEditor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>
#include <memory>

namespace
{
    class HarnessWindow : public juce::DocumentWindow
    {
    public:
        HarnessWindow (VorsanTembrolinAudioProcessor& processor, const juce::String& brand, const juce::String& maker)
            : juce::DocumentWindow (JucePlugin_Name,
                                    juce::LookAndFeel::getDefaultLookAndFeel()
                                        .findColour (juce::ResizableWindow::backgroundColourId),
                                    juce::DocumentWindow::minimiseButton | juce::DocumentWindow::closeButton)
        {
            setUsingNativeTitleBar (false);
            setContentOwned (new VorsanTembrolinAudioProcessorEditor (processor, brand, maker), true);
            setResizable (true, false);
            setTopLeftPosition (0, 0);
        }

        void closeButtonPressed() override
        {
            juce::JUCEApplication::getInstance()->systemRequestedQuit();
        }
    };

    class WindowHarness : public juce::JUCEApplication
    {
    public:
        const juce::String getApplicationName() override    { return JucePlugin_Name; }
        const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
        bool moreThanOneInstanceAllowed() override          { return true; }

        void initialise (const juce::String&) override
        {
            const auto arguments = getCommandLineParameterArray();

            if (arguments.size() != 2)
            {
                std::cerr << "usage: vorsan-window-harness BRAND_NEWS_ADDRESS MAKER_NEWS_ADDRESS\n";
                setApplicationReturnValue (2);
                quit();
                return;
            }

            processor = std::make_unique<VorsanTembrolinAudioProcessor>();
            window = std::make_unique<HarnessWindow> (*processor, arguments[0], arguments[1]);
            window->setVisible (true);
            quitOnSignal = std::make_unique<QuitOnSignal> ([this] { systemRequestedQuit(); });
        }

        void shutdown() override
        {
            window = nullptr;
            processor = nullptr;
            quitOnSignal = nullptr;
        }

    private:
        std::unique_ptr<VorsanTembrolinAudioProcessor> processor;
        std::unique_ptr<HarnessWindow> window;
        std::unique_ptr<QuitOnSignal> quitOnSignal;
    };
}

// The plug-in's build settings turn START_JUCE_APPLICATION off, so the entry
// point is written out.
int main (int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new WindowHarness(); };
    return juce::JUCEApplicationBase::main (argc, (const char**) argv);
}
