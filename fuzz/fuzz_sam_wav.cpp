// sam_read_wav over a file holding the input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/sam.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz_scratch_file("fuzz_sam_wav");
    fuzz_write(path, data, size);
    SamFile* r = sam_new();
    r->name = strdup(path);
    const int32_t result = sam_read_wav(r);
    if (r->file) abort();
    if (result != (r->sample != nullptr)) abort();
    if (result) {
        // Only 8 and 16-bit data is accepted, and only whole values after the header.
        const size_t width = r->depth == 8 ? 1 : 2;
        if (r->depth != 8 && r->depth != 16) abort();
        if (static_cast<size_t>(r->sample->length) * width > size - 44) abort();
        for (int32_t i = 0; i < r->sample->length; ++i) {
            const int32_t v = sample_get(r->sample, i);
            if (r->depth == 8 ? (v < 0 || v > 255) : (v < -32768 || v > 32767)) abort();
        }
    }
    sam_free(&r);
    return 0;
}
