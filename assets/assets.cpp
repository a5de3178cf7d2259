// The embedded assets: the files the generators made at build time, placed in
// read-only data by the assembler, and the colour lists built from their rules.
#include "assets/assets.h"

#include "container/common.h"

#include "assets/gen/sound_lengths.h"
#include "audio/sample.h"
#include "raster/raster.h"

// Each generated file becomes a symbol at its first byte and one past its last.
// QUOR_ASSET_DIR is the build folder the generators wrote into.
#if defined(__wasm__)
// WebAssembly's assembler (the browser build) keeps each data symbol in a
// section of its own and wants its size; it has no .previous, and the
// compiler names the section of everything it emits itself.
#define QUOR_EMBED_SECTION(name) ".section .rodata." #name ",\"\",@\n"
#define QUOR_EMBED_CLOSE(name) \
    ".size " #name ", " #name "_end - " #name "\n.size " #name "_end, 1\n"
#else
#define QUOR_EMBED_SECTION(name) ".section .rodata\n"
#define QUOR_EMBED_CLOSE(name) ".previous\n"
#endif
#define QUOR_EMBED(name, file, align)                                     \
    __asm__(QUOR_EMBED_SECTION(name) ".balign " #align                    \
                                     "\n"                                 \
                                     ".global " #name "\n" #name          \
                                     ":\n"                                \
                                     ".incbin \"" QUOR_ASSET_DIR "/" file \
                                     "\"\n"                               \
                                     ".global " #name "_end\n" #name      \
                                     "_end:\n"                            \
                                     ".byte 0\n" QUOR_EMBED_CLOSE(name)); \
    extern "C" const uint8_t name[];                                      \
    extern "C" const uint8_t name##_end[];

QUOR_EMBED(quor_font_sheet, "font.pbm", 16)
QUOR_EMBED(quor_logo_mask, "logo-mask.pbm", 16)
QUOR_EMBED(quor_logo, "logo.ppm", 16)
QUOR_EMBED(quor_picture_0, "picture-0.ppm", 16)
QUOR_EMBED(quor_picture_1, "picture-1.ppm", 16)
QUOR_EMBED(quor_picture_2, "picture-2.ppm", 16)
QUOR_EMBED(quor_picture_3, "picture-3.ppm", 16)
QUOR_EMBED(quor_picture_4, "picture-4.ppm", 16)
QUOR_EMBED(quor_picture_5, "picture-5.ppm", 16)
QUOR_EMBED(quor_picture_6, "picture-6.ppm", 16)
QUOR_EMBED(quor_scroll_text, "scroll_text.txt", 16)  // the trailing 0 ends the text
QUOR_EMBED(quor_sounds, "sounds.bin", 16)

namespace {

constexpr Blob blob(const uint8_t* begin, const uint8_t* end) {
    return Blob{begin, end - begin};
}

// Entries 0 and 127 yellow; between them red with green falling from 248 to 0
// and rising back to 248.
constexpr uint32_t ramp_colour(int32_t i) {
    if (i == 0 || i == 127) return 0xFCFC00;
    if (i <= 63) return 0xF00000 + static_cast<uint32_t>(4 * (63 - i)) * 256;
    return 0xF00000 + static_cast<uint32_t>(4 * (i - 64)) * 256;
}

struct RampWords {
    uint32_t words[128];
};

constexpr RampWords make_ramp() {
    RampWords ramp{};
    for (int32_t i = 0; i < 128; ++i)
        ramp.words[i] = ramp_colour(i);
    return ramp;
}

uint32_t bar_words[256];
RampWords ramp_words = make_ramp();

const int32_t* sound_values(int32_t index) {
    const int32_t* values = reinterpret_cast<const int32_t*>(quor_sounds);
    for (int32_t i = 0; i < index; ++i)
        values += sound_lengths[i];
    return values;
}

// A constant record over the embedded values: only ever read.
Sample sound_record(int32_t index) {
    const int32_t n = sound_lengths[index];
    return Sample{n, n, const_cast<int32_t*>(sound_values(index))};
}

}  // namespace

const Blob font_sheet = blob(quor_font_sheet, quor_font_sheet_end);
const Blob logo_mask_blob = blob(quor_logo_mask, quor_logo_mask_end);
const Blob logo_blob = blob(quor_logo, quor_logo_end);
const Blob picture_blobs[picture_count] = {
    blob(quor_picture_0, quor_picture_0_end), blob(quor_picture_1, quor_picture_1_end),
    blob(quor_picture_2, quor_picture_2_end), blob(quor_picture_3, quor_picture_3_end),
    blob(quor_picture_4, quor_picture_4_end), blob(quor_picture_5, quor_picture_5_end),
    blob(quor_picture_6, quor_picture_6_end)};

const char* const scroll_text = reinterpret_cast<const char*>(quor_scroll_text);

const Sample sample_table[sample_count] = {
    sound_record(0),  sound_record(1),  sound_record(2),  sound_record(3),  sound_record(4),
    sound_record(5),  sound_record(6),  sound_record(7),  sound_record(8),  sound_record(9),
    sound_record(10), sound_record(11), sound_record(12), sound_record(13), sound_record(14),
    sound_record(15), sound_record(16), sound_record(17), sound_record(18), sound_record(19),
    sound_record(20), sound_record(21), sound_record(22), sound_record(23), sound_record(24)};

Raster bar_colours = {256, 0, bar_words};
Raster ramp_colours = {128, 0, ramp_words.words};

const uint32_t hue_colours[hue_count] = {
    0xFF0000, 0xFF4000, 0xFF8000, 0xFFC000, 0xFFFF00, 0xC0FF00, 0x80FF00, 0x40FF00,
    0x00FF00, 0x00FF40, 0x00FF80, 0x00FFC0, 0x00FFFF, 0x00C0FF, 0x0080FF, 0x0040FF,
    0x0000FF, 0x4000FF, 0x8000FF, 0xC000FF, 0xFF00FF, 0xFF00C0, 0xFF0080, 0xFF0040};

uint64_t assets_hash() {
    common::Fnv1a hash;
    const auto add = [&hash](const Blob& file) { hash.add(file.data, file.size); };
    add(font_sheet);
    add(logo_mask_blob);
    add(logo_blob);
    for (const Blob& picture : picture_blobs)
        add(picture);
    add(blob(quor_scroll_text, quor_scroll_text_end));
    add(blob(quor_sounds, quor_sounds_end));
    return hash.value();
}
