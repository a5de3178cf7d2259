// SDLKBD: SDL's event queue turned into one key byte, the low byte of the key
// symbol of the last key-down event, 0 after a key-up. The caller clears the
// byte after acting on it, so a held key acts once.
//
// There is at most one Keyboard, and only while a display is open.
// The module prints no error lines.
//
// Event source: kbd_poll reads SDL's queue by default. A test or tool can hand
// it another source with kbd_set_event_source; null restores SDL's.
//
// Threads: main thread only.
#pragma once

#include <cstdint>

struct Keyboard {
    uint8_t* keys;  // 8 bytes; keys[0] is the key byte, the rest are spare
};

// One event as the keyboard sees it.
enum KbdEventType : int32_t { KBD_EVENT_OTHER = 0, KBD_EVENT_KEYDOWN = 2, KBD_EVENT_KEYUP = 3 };
struct KbdEvent {
    int32_t type;  // a KbdEventType
    int32_t sym;   // key symbol (key events only)
};
// Takes the next event into *event and returns 1, or returns 0 when none is waiting.
using KbdEventSource = int32_t (*)(KbdEvent* event);

Keyboard* kbd_new();
void kbd_poll(Keyboard* keyboard);
Keyboard* kbd_copy(const Keyboard* keyboard);
int32_t kbd_equal(const Keyboard* a, const Keyboard* b);
Keyboard* kbd_from_text(const char* text);
char* kbd_to_text(const Keyboard* keyboard);
void kbd_free(Keyboard** keyboard);
void kbd_error();
void kbd_set_event_source(KbdEventSource source);

// Identification record: name, date, author, platform, kind.
extern const char* const kbd_ident[5];
