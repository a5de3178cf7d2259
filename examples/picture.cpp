// picture: reads a PNM picture, scales it, turns it and writes it as a binary PPM,
// all with the IMG module (image/img.h, linked as Quor7706::image).
//
//   picture IN.pnm OUT.ppm [SCALE_PERCENT [DEGREES]]
//
// SCALE_PERCENT (1 to 1000, default 100) scales both sides. DEGREES turns the
// picture counterclockwise; without it the picture is not turned at all.
// Exit status: 0 done, 1 a file or a number was wrong, 2 a usage error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "image/img.h"

namespace {

// The whole number in text, or false when text is not one between lo and hi.
bool parse_number(const char* text, long lo, long hi, long& value) {
    char* end = nullptr;
    value = strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= lo && value <= hi;
}

// A new black image of width x height pixels, or null. img_new gives a
// 16 x 16 image; img_resize replaces its buffer by a cleared one, or keeps
// the old one when there is no memory, which the size check catches.
Image* new_image(long width, long height) {
    if (width > INT32_MAX || height > INT32_MAX) return nullptr;
    Image* image = img_new();
    if (image) img_resize(image, static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (image && (image->width != width || image->height != height)) img_free(&image);
    return image;
}

// One line on stderr and exit status 1.
int fail(const char* what, const char* detail) {
    fprintf(stderr, "picture: %s: %s\n", what, detail);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        fprintf(stderr, "usage: picture IN.pnm OUT.ppm [SCALE_PERCENT [DEGREES]]\n");
        return 2;
    }
    long percent = 100, degrees = 0;
    if (argc > 3 && !parse_number(argv[3], 1, 1000, percent))
        return fail(argv[3], "not a scale from 1 to 1000 percent");
    if (argc > 4 && !parse_number(argv[4], -36000, 36000, degrees))
        return fail(argv[4], "not a whole number of degrees");

    // img_load_pnm reads P1 to P6 and gives a new Image, or null for a file
    // that is missing or is no PNM picture (the module prints nothing itself).
    Image* picture = img_load_pnm(argv[1]);
    if (!picture) return fail(argv[1], "cannot read a PNM picture");

    // img_scale resamples into the destination's own size: make an image of
    // the new size first, then scale into it.
    const long width = picture->width * percent / 100;
    const long height = picture->height * percent / 100;
    Image* result = new_image(width > 0 ? width : 1, height > 0 ? height : 1);
    if (result) img_scale(picture, result);
    img_free(&picture);
    if (!result) return fail(argv[1], "no memory for the scaled picture");

    if (argc > 4) {
        // img_rotate makes a canvas about 1.414 times each side of its source,
        // which holds a square at any angle: the picture is first centred on a
        // black square, so that its long side is not cut off.
        const long side = result->width > result->height ? result->width : result->height;
        Image* square = new_image(side, side);
        if (square)
            img_blit(result, square, 0, 0, (side - result->width) / 2, (side - result->height) / 2,
                     result->width, result->height);
        img_free(&result);
        // Angles run in 1024 steps a full turn, and 512 is upright.
        if (square) result = img_rotate(square, static_cast<int32_t>(512 + degrees * 1024 / 360));
        if (square) img_free(&square);
        if (!result) return fail(argv[1], "no memory for the turned picture");
    }

    // img_save_ppm writes P6 with maxval 255; 0 when the file cannot be written.
    const int32_t written = img_save_ppm(result, argv[2]);
    if (written) printf("%s: %d x %d\n", argv[2], result->width, result->height);
    img_free(&result);
    return written ? 0 : fail(argv[2], "cannot write the PPM file");
}
