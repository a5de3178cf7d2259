// The objects the demo parts share beyond the screen: the sound output, the
// font, the two logos, the text mask, the scroller and the music buffer.
#include "assets/assets.h"
#include "image/img.h"
#include "platform/snd.h"
#include "program/demo.h"
#include "text/font.h"
#include "text/scroll.h"

Sound* sound = nullptr;
Font* font = nullptr;
Image* logo_mask = nullptr;
Image* logo = nullptr;
Image* text_mask = nullptr;
Scroll* scroller = nullptr;

namespace {

// Decodes a logo and squeezes it, nearest-neighbour, to screen_width x its
// own height. Null when the blob does not decode.
Image* scaled_logo(const Blob& blob) {
    Image* decoded = img_from_pnm_length(blob.data, blob.size);
    if (!decoded) return nullptr;
    Image* scaled = img_new();
    img_resize(scaled, screen_width, decoded->height);
    img_scale(decoded, scaled);
    img_free(&decoded);
    return scaled;
}

}  // namespace

void demo_init_objects() {
    sound = snd_open();

    font = font_new();
    if (font) {
        font->width = 8;
        font->height = 8;
        font->image = img_from_pnm_length(font_sheet.data, font_sheet.size);
    }

    logo_mask = scaled_logo(logo_mask_blob);
    logo = scaled_logo(logo_blob);

    text_mask = img_new();
    if (screen) img_resize(text_mask, screen->width, 8);

    scroller = scroll_new();
    scroll_set(scroller, scroll_text, font, text_mask);

    demo_music_init();
}
