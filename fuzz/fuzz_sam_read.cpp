// sam_read over a file holding the input: both header scanners and both value forms.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/sam.h"

namespace {

// A file of this process that holds the current input; removed at exit.
const char* input_path() {
    static char path[] = "/tmp/fuzz_sam_read_XXXXXX";
    static const bool made = [] {
        const int fd = mkstemp(path);
        if (fd < 0) abort();
        close(fd);
        atexit([] { remove(path); });
        return true;
    }();
    (void)made;
    return path;
}

void put(const char* path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = input_path();
    put(path, data, size);
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
