// Test helpers that look at the real X server: find the demo's window, read
// its pixels back, ask it to close, and send it real key events.
// Xlib is kept out of this header: its Display type would clash with ours.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The id of the top-level window whose title is name, or 0.
unsigned long x11_find_window(const char* name);
// The window's icon title, or "" when there is none.
std::string x11_icon_name(const char* name);
// The width and height of the named window; (0, 0) when there is none.
std::pair<int32_t, int32_t> x11_window_size(const char* name);
// Reads the w x h pixels of the named window (null: the whole screen) as
// 0x00RRGGBB words.
bool x11_grab(const char* name, int32_t w, int32_t h, std::vector<uint32_t>* pixels);
// Sends the window manager's close request (WM_DELETE_WINDOW) to the window.
bool x11_request_close(const char* name);
// Gives the named window the keyboard focus and types keys with xdotool:
// keys is an xdotool argument list such as "key space" or "keydown a keyup a".
bool x11_xdotool(const char* name, const std::string& keys);

// An X server of a test's own (Xvfb), on a free display number, with one
// screen of the given geometry ("640x480x16"); stopped when destroyed.
// display is ":N", or empty when the server did not start. use() makes it
// this process's DISPLAY until the server is destroyed, when the one before
// comes back (so a failed check midway leaves no dead display behind).
class X11Server {
public:
    explicit X11Server(const std::string& screen);
    ~X11Server();
    X11Server(const X11Server&) = delete;
    X11Server& operator=(const X11Server&) = delete;
    const std::string& display() const { return display_; }
    void use();

private:
    std::string display_;
    int pid_ = -1;
    bool used_ = false;
    bool had_display_ = false;
    std::string previous_;  // DISPLAY before use()
};
