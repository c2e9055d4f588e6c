// vorsan-first-paint: starts a program and reports how long it took until its
// window showed given pixels, by reading them back from the X server.
//
//   vorsan-first-paint [--title NAME] [--content WxH] [--timeout MS] [--log FILE]
//                      --point X,Y,RRGGBB [--point ...] -- PROGRAM [ARGS...]
//
// The points are in the window's content area (its size given by --content,
// default 1340x700); the window's frame is taken to be an equal border on the
// left, right and bottom with the rest on top, as the framework draws it. On
// success it prints the milliseconds from just before the program started and
// the program's process id ("812 4242") and exits with 0, leaving the program
// running, its output going to the log file (default /dev/null). It exits with 1 (and stops the program) when the program ends or
// the pixels do not show within the time-out.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
    struct Point
    {
        int x, y;
        unsigned long rgb;
    };

    int ignoreXError (Display*, XErrorEvent*) { return 0; }

    // The title's bytes, whatever encoding the window gives for it (an ASCII
    // title reads the same in all of them).
    bool hasTitle (Display* display, Window window, const std::string& title)
    {
        XTextProperty name {};
        if (XGetWMName (display, window, &name) == 0 || name.value == nullptr)
            return false;
        const bool same = title == std::string (reinterpret_cast<const char*> (name.value), name.nitems);
        XFree (name.value);
        return same;
    }

    Window findWindow (Display* display, Window parent, const std::string& title)
    {
        Window root, parentOfParent, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree (display, parent, &root, &parentOfParent, &children, &count) == 0)
            return 0;

        Window found = 0;
        for (unsigned int i = 0; i < count && found == 0; ++i)
            found = hasTitle (display, children[i], title) ? children[i] : findWindow (display, children[i], title);

        if (children != nullptr)
            XFree (children);
        return found;
    }

    bool nearlyEqual (unsigned long a, unsigned long b)
    {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs ((int) ((a >> shift) & 0xff) - (int) ((b >> shift) & 0xff)) > 8)
                return false;
        return true;
    }

    bool showsPoints (Display* display, Window window, int contentWidth, int contentHeight,
                      const std::vector<Point>& points)
    {
        XWindowAttributes attributes;
        if (XGetWindowAttributes (display, window, &attributes) == 0 || attributes.map_state != IsViewable)
            return false;

        int left = 0, top = 0;
        Window child;
        XTranslateCoordinates (display, window, DefaultRootWindow (display), 0, 0, &left, &top, &child);
        const int border = (attributes.width - contentWidth) / 2;
        const int contentLeft = left + border;
        const int contentTop = top + attributes.height - contentHeight - border;

        for (const auto& point : points)
        {
            XImage* image = XGetImage (display, DefaultRootWindow (display), contentLeft + point.x,
                                       contentTop + point.y, 1, 1, AllPlanes, ZPixmap);
            if (image == nullptr)
                return false;
            const unsigned long pixel = XGetPixel (image, 0, 0) & 0xffffff;
            XDestroyImage (image);
            if (! nearlyEqual (pixel, point.rgb))
                return false;
        }
        return true;
    }

    int usage()
    {
        std::fprintf (stderr, "usage: vorsan-first-paint [--title NAME] [--content WxH] [--timeout MS] [--log FILE]\n"
                              "       --point X,Y,RRGGBB [--point ...] -- PROGRAM [ARGS...]\n");
        return 2;
    }
}

int main (int argc, char** argv)
{
    std::string title = "VorsanTembrolin";
    std::string logPath = "/dev/null";
    int contentWidth = 1340, contentHeight = 700, timeoutMs = 20000;
    std::vector<Point> points;
    int first = 1;

    for (; first < argc; ++first)
    {
        const std::string option = argv[first];
        if (option == "--")
        {
            ++first;
            break;
        }
        if (first + 1 >= argc)
            return usage();

        const char* value = argv[++first];
        if (option == "--title")
            title = value;
        else if (option == "--log")
            logPath = value;
        else if (option == "--timeout")
            timeoutMs = std::atoi (value);
        else if (option == "--content")
        {
            if (std::sscanf (value, "%dx%d", &contentWidth, &contentHeight) != 2)
                return usage();
        }
        else if (option == "--point")
        {
            Point point {};
            if (std::sscanf (value, "%d,%d,%lx", &point.x, &point.y, &point.rgb) != 3)
                return usage();
            points.push_back (point);
        }
        else
            return usage();
    }

    if (first >= argc || points.empty())
        return usage();

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        // The program's output must not hold the caller's pipe open.
        const int log = open (logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0)
        {
            dup2 (log, 1);
            dup2 (log, 2);
        }
        execvp (argv[first], argv + first);
        std::perror ("vorsan-first-paint: exec");
        _exit (127);
    }

    Display* display = XOpenDisplay (nullptr);
    if (display == nullptr)
    {
        std::fprintf (stderr, "vorsan-first-paint: no display\n");
        kill (child, SIGKILL);
        return 2;
    }
    XSetErrorHandler (ignoreXError);

    const auto deadline = start + std::chrono::milliseconds (timeoutMs);

    while (std::chrono::steady_clock::now() < deadline)
    {
        int status = 0;
        if (waitpid (child, &status, WNOHANG) == child)
        {
            std::fprintf (stderr, "vorsan-first-paint: the program ended before its window showed\n");
            return 1;
        }

        // Looked up every time: the framework replaces its first native
        // window soon after showing it.
        const Window window = findWindow (display, DefaultRootWindow (display), title);

        if (window != 0 && showsPoints (display, window, contentWidth, contentHeight, points))
        {
            const auto elapsed = std::chrono::duration<double, std::milli> (std::chrono::steady_clock::now() - start);
            std::printf ("%.0f %d\n", elapsed.count(), (int) child);
            return 0;
        }

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    std::fprintf (stderr, "vorsan-first-paint: the pixels did not show within %d ms\n", timeoutMs);
    kill (child, SIGKILL);
    waitpid (child, nullptr, 0);
    return 1;
}
