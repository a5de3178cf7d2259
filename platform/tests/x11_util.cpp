// Xlib-side test helpers (see x11_util.h).
#include "platform/tests/x11_util.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Depth-first search below root for a window titled name.
Window search(::Display* x, Window w, const char* name) {
    char* title = nullptr;
    if (XFetchName(x, w, &title) && title) {
        const bool match = strcmp(title, name) == 0;
        XFree(title);
        if (match) return w;
    }
    Window root_return = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(x, w, &root_return, &parent, &children, &n)) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < n && !found; ++i)
        found = search(x, children[i], name);
    if (children) XFree(children);
    return found;
}

// Opens the display, retrying: a server still closing an earlier connection
// can refuse a new one for a moment.
::Display* open_display() {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (::Display* x = XOpenDisplay(nullptr)) return x;
        usleep(20000);
    }
    return nullptr;
}

struct Connection {
    ::Display* x = open_display();
    ~Connection() {
        if (x) XCloseDisplay(x);
    }
};

}  // namespace

unsigned long x11_find_window(const char* name) {
    Connection c;
    if (!c.x) return 0;
    return search(c.x, DefaultRootWindow(c.x), name);
}

std::string x11_icon_name(const char* name) {
    Connection c;
    if (!c.x) return "";
    const Window w = search(c.x, DefaultRootWindow(c.x), name);
    char* icon = nullptr;
    if (!w || !XGetIconName(c.x, w, &icon) || !icon) return "";
    std::string result(icon);
    XFree(icon);
    return result;
}

std::pair<int32_t, int32_t> x11_window_size(const char* name) {
    Connection c;
    if (!c.x) return {0, 0};
    const Window win = search(c.x, DefaultRootWindow(c.x), name);
    XWindowAttributes attributes;
    if (!win || !XGetWindowAttributes(c.x, win, &attributes)) return {0, 0};
    return {attributes.width, attributes.height};
}

bool x11_grab(const char* name, int32_t w, int32_t h, std::vector<uint32_t>* pixels) {
    Connection c;
    if (!c.x) return false;
    const Window win = name ? search(c.x, DefaultRootWindow(c.x), name) : DefaultRootWindow(c.x);
    if (!win) return false;
    XSync(c.x, False);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(c.x, win, &attributes)) return false;
    XImage* image = XGetImage(c.x, win, 0, 0, w, h, AllPlanes, ZPixmap);
    if (!image) return false;
    pixels->assign(static_cast<size_t>(w) * h, 0);
    // A visual with channel masks holds colours in the pixel; any other
    // (an 8-bit pseudo-colour screen) holds colour map indices.
    const bool masked = image->red_mask && image->green_mask && image->blue_mask;
    std::map<unsigned long, uint32_t> colour_map;  // index -> 0x00RRGGBB, asked once each
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            uint32_t r, g, b;
            if (masked) {
                r = static_cast<uint32_t>(((p & image->red_mask) * 255) / image->red_mask);
                g = static_cast<uint32_t>(((p & image->green_mask) * 255) / image->green_mask);
                b = static_cast<uint32_t>(((p & image->blue_mask) * 255) / image->blue_mask);
            } else {
                auto known = colour_map.find(p);
                if (known == colour_map.end()) {
                    XColor colour = {};
                    colour.pixel = p;
                    XQueryColor(c.x, attributes.colormap, &colour);
                    known = colour_map
                                .emplace(p, static_cast<uint32_t>((colour.red >> 8) << 16 |
                                                                  (colour.green >> 8) << 8 |
                                                                  colour.blue >> 8))
                                .first;
                }
                r = known->second >> 16;
                g = known->second >> 8 & 255;
                b = known->second & 255;
            }
            (*pixels)[static_cast<size_t>(y) * w + x] = (r << 16) | (g << 8) | b;
        }
    XDestroyImage(image);
    return true;
}

bool x11_request_close(const char* name) {
    Connection c;
    if (!c.x) return false;
    const Window win = search(c.x, DefaultRootWindow(c.x), name);
    if (!win) return false;
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = win;
    e.xclient.message_type = XInternAtom(c.x, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(c.x, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(c.x, win, False, NoEventMask, &e);
    XSync(c.x, False);
    return true;
}

bool x11_xdotool(const char* name, const std::string& keys) {
    const unsigned long win = x11_find_window(name);
    if (!win) return false;
    // Focus the window first so that the XTEST key events reach it.
    const std::string command =
        "xdotool windowfocus --sync " + std::to_string(win) + " " + keys + " >/dev/null 2>&1";
    return system(command.c_str()) == 0;
}

X11Server::X11Server(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        // -displayfd: the server picks a free number and writes it there.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return;
    }
    pid_ = pid;
    std::string number;
    char ch;
    while (read(fds[0], &ch, 1) == 1 && ch != '\n')
        number += ch;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

void X11Server::use() {
    const char* previous = getenv("DISPLAY");
    had_display_ = previous != nullptr;
    previous_ = previous ? previous : "";
    used_ = true;
    setenv("DISPLAY", display_.c_str(), 1);
}

X11Server::~X11Server() {
    if (used_) {
        if (had_display_)
            setenv("DISPLAY", previous_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}
