// close-window WINDOW-ID: asks an X window (id as xwininfo prints it, e.g.
// 0x200006) to close, as a window manager's close button does: a
// WM_DELETE_WINDOW message.
// close-window --hold: creates the two atoms that message needs and keeps
// them alive until killed. Start it before the application: without a window
// manager nobody else creates them, and the framework only looks them up
// (it would not recognise the message otherwise).
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: close-window WINDOW-ID\n");
        return 2;
    }
    Display* display = XOpenDisplay (nullptr);
    if (display != nullptr && std::strcmp (argv[1], "--hold") == 0)
    {
        XInternAtom (display, "WM_PROTOCOLS", False);
        XInternAtom (display, "WM_DELETE_WINDOW", False);
        XSync (display, False);
        for (;;)
            pause();
    }

    const auto window = (Window) std::strtoul (argv[1], nullptr, 0);
    if (display == nullptr || window == 0)
    {
        std::fprintf (stderr, "close-window: no display or no window id\n");
        return 2;
    }

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom (display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) XInternAtom (display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent (display, window, False, NoEventMask, &event);
    XFlush (display);
    XCloseDisplay (display);
    return sent != 0 ? 0 : 1;
}
