// Fuzzes the in-memory PNM decoders: the length-taking one on the raw input,
// and the zero-terminated one on a terminated copy whenever the first has
// shown that the picture lies wholly inside the input (the zero-terminated
// decoder reads raw pixel data as far as the header says). Both must agree.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Image* a = img_from_pnm_length(data, static_cast<int64_t>(size));
    if (!a) return 0;
    uint8_t* copy = static_cast<uint8_t*>(malloc(size + 1));
    if (!copy) abort();
    memcpy(copy, data, size);
    copy[size] = 0;
    Image* b = img_from_pnm(copy);
    // The zero-terminated decoder sees the same bytes up to the end of the
    // picture, so it must give the same image.
    if (!b || img_equal(a, b) != 1) abort();
    img_free(&b);
    img_free(&a);
    free(copy);
    return 0;
}
