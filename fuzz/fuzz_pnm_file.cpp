// Fuzzes the PNM file reader: the input is written to a scratch file and read back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "image/img.h"

namespace {

// One scratch file per fuzzing process, removed at exit; in memory-backed
// /dev/shm when there is one, as a disk file costs far more than a decode.
const char* scratch_path() {
    static char path[64] = {};
    if (!path[0]) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        snprintf(path, sizeof path, "%s/fuzz_pnm_file_%d.pnm", dir, static_cast<int>(getpid()));
        atexit([] { remove(path); });
    }
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = scratch_path();
    FILE* f = fopen(path, "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    Image* image = img_load_pnm(path);
    if (image) {
        // A decoded picture always holds at least one pixel.
        if (image->width <= 0 || image->height <= 0) abort();
        img_free(&image);
    }
    return 0;
}
