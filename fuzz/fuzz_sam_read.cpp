// sam_read over a file holding the input: both header scanners and both value forms.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/sam.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz_scratch_file("fuzz_sam_read");
    fuzz_write(path, data, size);
    SamFile* r = sam_new();
    r->name = strdup(path);
    const int32_t result = sam_read(r);
    // The stream is closed whatever happened; a success leaves a whole sample.
    if (r->file) abort();
    if (result && !r->sample) abort();
    if (r->sample && (r->sample->length < 0 || r->sample->length > r->sample->capacity)) abort();
    // Never more values than the input has bytes.
    if (r->sample && static_cast<size_t>(r->sample->length) > size) abort();
    sam_free(&r);
    return 0;
}
