// Fuzz target: the SAMPLE text reader on arbitrary bytes, zero-terminated.
// Whatever it reads must survive a write and a second read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/sample.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text) return 0;
    memcpy(text, data, size);
    text[size] = '\0';
    Sample* sample = sample_from_text(text);
    free(text);
    if (!sample) return 0;
    if (sample->length < 0 || sample->length > sample->capacity) abort();
    char* again = sample_to_text(sample);
    if (again) {
        Sample* back = sample_from_text(again);
        if (!back || sample_equal(sample, back) != 1) abort();
        sample_free(&back);
        free(again);
    }
    sample_free(&sample);
    return 0;
}
