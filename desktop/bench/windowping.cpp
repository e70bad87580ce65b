// How long a window's events wait to be handled: every 50 ms a
// _NET_WM_PING goes to the window (the toolkit answers it on the window's
// own thread, sending it back to the root window), and each answer's delay
// is measured. Runs until the file STOP_FILE exists, then prints the
// pings sent, the answers, the longest and the mean wait in ms, and the
// pings still unanswered (their wait so far counts as a wait).
// Usage: windowping WINDOW_ID STOP_FILE
// Needs DISPLAY; a program, not a test.

#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <poll.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "Uso: windowping ID_VENTANA FICHERO_FIN\n");
        return 2;
    }
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    const char *stopFile = argv[2];
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "No se puede abrir el display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    // The answer goes to the root window for those selecting its structure
    // or its children's.
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);

    std::map<long, Clock::time_point> pending;
    long sequence = 0;
    long answers = 0;
    double longest = 0;
    double total = 0;
    Clock::time_point next = Clock::now();
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= next) {
            if (access(stopFile, F_OK) == 0)
                break;
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = window;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = long(ping);
            event.xclient.data.l[1] = ++sequence; // the "timestamp", sent back as it came
            event.xclient.data.l[2] = long(window);
            XSendEvent(display, window, False, NoEventMask, &event);
            XFlush(display);
            pending[sequence] = now;
            next += std::chrono::milliseconds(50);
        }
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != ClientMessage || event.xclient.message_type != protocols ||
                Atom(event.xclient.data.l[0]) != ping)
                continue;
            const auto at = pending.find(event.xclient.data.l[1]);
            if (at == pending.end())
                continue;
            const double wait = Ms(Clock::now() - at->second);
            longest = std::max(longest, wait);
            total += wait;
            ++answers;
            pending.erase(at);
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, std::max(0, int(Ms(next - Clock::now()))));
    }
    for (const auto &[id, sent] : pending)
        longest = std::max(longest, Ms(Clock::now() - sent));
    std::printf("pings=%ld respuestas=%ld espera_max_ms=%.0f espera_media_ms=%.1f "
                "sin_respuesta=%zu\n",
                sequence, answers, longest, answers ? total / double(answers) : 0.0,
                pending.size());
    XCloseDisplay(display);
    return 0;
}
