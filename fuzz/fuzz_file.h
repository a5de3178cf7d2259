// Scratch files for the fuzz targets that read files: the input is written to
// a file of this process, in memory-backed /dev/shm when there is one (a disk
// file costs far more than a decode), and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The scratch file's path; tag names the target in the file name.
inline const char* fuzz_scratch_file(const char* tag) {
    static char path[96] = {};
    if (!path[0]) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        snprintf(path, sizeof path, "%s/%s_%d", dir, tag, static_cast<int>(getpid()));
        atexit([] { remove(path); });
    }
    return path;
}

// Replaces the file's content by the input.
inline void fuzz_write(const char* path, const uint8_t* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f) abort();
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}
