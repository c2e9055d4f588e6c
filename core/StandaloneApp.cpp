// The stand-alone application: the framework's plug-in wrapper window with
// the settings the instrument uses, quitting through one path that saves the
// sound, whether the window is closed or the process is told to stop by a
// signal. Built into the stand-alone program only.

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

#include <memory>

#include "core/QuitOnSignal.h"

namespace
{
    class VorsanStandaloneApp : public juce::JUCEApplication
    {
    public:
        VorsanStandaloneApp()
        {
            juce::PropertiesFile::Options options;
            options.applicationName = getApplicationName();
            options.filenameSuffix = ".settings";
            options.osxLibrarySubFolder = "Application Support";
            options.folderName = "~/.config";
            settings.setStorageParameters (options);
        }

        const juce::String getApplicationName() override    { return JucePlugin_Name; }
        const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
        bool moreThanOneInstanceAllowed() override          { return true; }
        void anotherInstanceStarted (const juce::String&) override {}

        void initialise (const juce::String&) override
        {
            juce::StandalonePluginHolder::PluginInOuts channels[] = { JucePlugin_PreferredChannelConfigurations };

            window = std::make_unique<juce::StandaloneFilterWindow> (
                getApplicationName(),
                juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                settings.getUserSettings(), false, juce::String(), nullptr,
                juce::Array<juce::StandalonePluginHolder::PluginInOuts> (channels, juce::numElementsInArray (channels)));

            window->setVisible (true);

            // The framework's own keyboard-break handling quits without saving.
            quitOnSignal = std::make_unique<QuitOnSignal> ([this] { systemRequestedQuit(); });
        }

        // Every way out comes here: the window's close button saves and quits
        // on its own, everything else (signals, the system) asks through this.
        void systemRequestedQuit() override
        {
            if (window != nullptr)
                window->pluginHolder->savePluginState();

            // An open dialog is closed first; quitting follows once it is gone.
            if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
            {
                juce::Timer::callAfterDelay (100, []
                {
                    if (auto* app = juce::JUCEApplicationBase::getInstance())
                        app->systemRequestedQuit();
                });
                return;
            }

            quit();
        }

        void shutdown() override
        {
            window = nullptr;
            settings.saveIfNeeded();
            quitOnSignal = nullptr;
        }

    private:
        juce::ApplicationProperties settings;
        std::unique_ptr<juce::StandaloneFilterWindow> window;
        std::unique_ptr<QuitOnSignal> quitOnSignal;
    };
}

juce::JUCEApplicationBase* juce_CreateApplication();

juce::JUCEApplicationBase* juce_CreateApplication()
{
    return new VorsanStandaloneApp();
}
