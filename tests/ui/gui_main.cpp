// Entry point of the user-interface tests that need a display (run under
// xvfb-run). Components put on the desktop there need a forgiving X error
// handler, which the framework installs only inside a real application.

#include <juce_gui_basics/juce_gui_basics.h>
#include <gtest/gtest.h>

// Last: its macros (None, Bool, ...) clash with the headers above.
#include <X11/Xlib.h>

namespace
{
    int ignoreXError (Display*, XErrorEvent*) { return 0; }
}

int main (int argc, char** argv)
{
    testing::InitGoogleTest (&argc, argv);
    XSetErrorHandler (ignoreXError);
    juce::ScopedJuceInitialiser_GUI framework;
    return RUN_ALL_TESTS();
}
