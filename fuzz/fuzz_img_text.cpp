// Fuzzes the IMG text form reader on a zero-terminated copy of the input; a
// decoded image must survive writing and reading back unchanged when its
// pixels have no top byte.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text) abort();
    memcpy(text, data, size);
    text[size] = 0;
    Image* image = img_from_text(text);
    free(text);
    if (!image) return 0;
    const int64_t n = static_cast<int64_t>(image->width) * image->height;
    bool clean = n > 0;
    for (int64_t i = 0; clean && i < n; ++i)
        clean = (image->pixels[i] >> 24) == 0;
    if (clean) {
        char* again = img_to_text(image);
        Image* back = img_from_text(again);
        if (!back || img_equal(image, back) != 1) abort();
        img_free(&back);
        free(again);
    }
    img_free(&image);
    return 0;
}
