// SDLKBD: SDL's event queue turned into one key byte, the low byte of the key
// symbol of the last key-down event, 0 after a key-up. The caller clears the
// byte after acting on it, so a held key acts once.
//
// Event source: kbd_poll reads SDL's queue by default. A test or tool can hand
// it another source with kbd_set_event_source; null restores SDL's.
//
// Ownership: there is at most one Keyboard, and only while a display is open.
// kbd_new gives the caller that record (the same one again while it lives);
// kbd_free(&k) releases its key bytes and the record and nulls the reference,
// after which kbd_new makes a fresh one. An event source handed over is
// borrowed: it stays in use until it is replaced.
//
// Threads: main thread only. SDL's events belong to the thread that opened
// the window; the record and the event source are not locked.
//
// Errors: the module prints nothing (kbd_error, its failure hook, is silent).
// An operation given a null or unusable record does nothing and returns its
// neutral result (null or 0).
#pragma once

#include <cstdint>

struct Keyboard {
    uint8_t* keys;  // 8 bytes; keys[0] is the key byte, the rest are spare
};

// The key byte of the escape key (its SDL key symbol).
constexpr uint8_t kbd_escape = 27;

// One event as the keyboard sees it.
enum KbdEventType : int32_t { KBD_EVENT_OTHER = 0, KBD_EVENT_KEYDOWN = 2, KBD_EVENT_KEYUP = 3 };
struct KbdEvent {
    int32_t type;  // a KbdEventType
    int32_t sym;   // key symbol (key events only)
};
// Takes the next event into *event and returns 1, or returns 0 when none is waiting.
using KbdEventSource = int32_t (*)(KbdEvent* event);

// The one keyboard: the one that lives, or a new one with its key bytes at 0.
// Null without an open display or when memory runs out.
Keyboard* kbd_new();
// Takes every waiting event from the event source into the key byte.
void kbd_poll(Keyboard* keyboard);
// Always null: the one keyboard cannot be copied.
Keyboard* kbd_copy(const Keyboard* keyboard);
// 1 when both are the same keyboard, else 0.
int32_t kbd_equal(const Keyboard* a, const Keyboard* b);
// Always null.
Keyboard* kbd_from_text(const char* text);
// The empty text "" (malloc'ed; the caller frees it), or null for null.
char* kbd_to_text(const Keyboard* keyboard);
// Releases the key bytes and the record and nulls the reference.
void kbd_free(Keyboard** keyboard);
// The module's failure hook; prints nothing.
void kbd_error();
// Makes kbd_poll read events from source; null restores SDL's queue.
void kbd_set_event_source(KbdEventSource source);

// Identification record: name, date, author, platform, kind.
extern const char* const kbd_ident[5];
