// Fuzzes the PNM file reader: the input is written to a scratch file and read back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_file.h"
#include "image/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz_scratch_file("fuzz_pnm_file");
    fuzz_write(path, data, size);
    Image* image = img_load_pnm(path);
    if (image) {
        // A decoded picture always holds at least one pixel.
        if (image->width <= 0 || image->height <= 0) abort();
        img_free(&image);
    }
    return 0;
}
