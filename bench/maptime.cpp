// SPDX-License-Identifier: MIT
// maptime PROGRAM [ARGS...]
// Starts PROGRAM and prints the milliseconds from just before its exec to the moment the X server
// reports its top-level window mapped, then ends it. The map is seen through a MapNotify event on
// the root window, so there is no polling: the resolution is that of the monotonic clock.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const char *message)
{
    std::fprintf(stderr, "maptime: %s\n", message);
    std::exit(2);
}

// Qt sets _NET_WM_PID on its top-level windows; anything else mapped meanwhile is not ours.
long windowPid(Display *display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr && format == 32 && count == 1)
        pid = *reinterpret_cast<long *>(data);
    if (data != nullptr)
        XFree(data);
    return pid;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        fail("usage: maptime PROGRAM [ARGS...]");

    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        fail("cannot open the display");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        fail("fork failed");
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }

    const auto deadline = start + std::chrono::seconds(30);
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect &&
                windowPid(display, event.xmap.window) == child) {
                const std::chrono::duration<double, std::milli> elapsed = Clock::now() - start;
                std::printf("%.2f\n", elapsed.count());
                kill(child, SIGTERM);
                waitpid(child, nullptr, 0);
                return 0;
            }
        }
        if (waitpid(child, nullptr, WNOHANG) == child)
            fail("the program ended before mapping a window");
        if (Clock::now() > deadline) {
            kill(child, SIGKILL);
            fail("no window was mapped within 30 s");
        }
        poll(&connection, 1, 100);
    }
}
