// Keyboard: drains the event queue into one key byte.
#include "platform/kbd.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/dpy.h"

const char* const kbd_ident[5] = {"SDLKBD  ", "20261206", "VRL     ", "LINUXSDL", "CODE    "};

namespace {

Keyboard* the_keyboard = nullptr;

// SDL's event queue as a KbdEventSource.
int32_t sdl_events(KbdEvent* event) {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return 0;
    event->type = KBD_EVENT_OTHER;
    event->sym = 0;
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
        event->type = e.type == SDL_KEYDOWN ? KBD_EVENT_KEYDOWN : KBD_EVENT_KEYUP;
        event->sym = static_cast<int32_t>(e.key.keysym.sym);
    }
    return 1;
}

KbdEventSource source = sdl_events;

}  // namespace

void kbd_set_event_source(KbdEventSource s) {
    source = s ? s : sdl_events;
}

void kbd_error() {}

Keyboard* kbd_new() {
    if (!dpy_state.open) return nullptr;
    if (the_keyboard) return the_keyboard;
    Keyboard* keyboard = static_cast<Keyboard*>(calloc(1, sizeof(Keyboard)));
    if (!keyboard) return nullptr;
    keyboard->keys = static_cast<uint8_t*>(calloc(8, 1));
    if (!keyboard->keys) {
        free(keyboard);
        return nullptr;
    }
    the_keyboard = keyboard;
    return keyboard;
}

void kbd_poll(Keyboard* keyboard) {
    if (!keyboard) return;
    if (!keyboard->keys) return;
    KbdEvent event;
    while (source(&event)) {
        if (event.type == KBD_EVENT_KEYDOWN)
            keyboard->keys[0] = static_cast<uint8_t>(event.sym & 0xFF);
        else if (event.type == KBD_EVENT_KEYUP)
            keyboard->keys[0] = 0;
    }
}

Keyboard* kbd_copy(const Keyboard*) {
    return nullptr;
}

int32_t kbd_equal(const Keyboard* a, const Keyboard* b) {
    return a && b && a == b ? 1 : 0;
}

Keyboard* kbd_from_text(const char*) {
    return nullptr;
}

char* kbd_to_text(const Keyboard* keyboard) {
    if (!keyboard) return nullptr;
    return static_cast<char*>(calloc(1, 1));
}

void kbd_free(Keyboard** keyboard) {
    if (!keyboard) return;
    if (!*keyboard) return;
    if (*keyboard == the_keyboard) the_keyboard = nullptr;
    free((*keyboard)->keys);
    free(*keyboard);
    *keyboard = nullptr;
}
