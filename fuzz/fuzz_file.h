// Scratch files for the fuzz targets that read files: the input is written to
// a file of this process, in memory-backed /dev/shm when there is one (a disk
// file costs far more than a decode), and removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Where scratch files go: /dev/shm when this process may write there, else /tmp.
inline const char* fuzz_scratch_root() {
    static const char* const root = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return root;
}

// The scratch file's path; tag names the target in the file name.
inline const char* fuzz_scratch_file(const char* tag) {
    static char path[96] = {};
    if (!path[0]) {
        snprintf(path, sizeof path, "%s/%s_%d", fuzz_scratch_root(), tag,
                 static_cast<int>(getpid()));
        atexit([] { remove(path); });
    }
    return path;
}

// A new directory of this process under the scratch root, for targets that
// need several files or choose their names; tag names the target. The caller
// removes what it puts there; the directory itself is removed at exit once it
// is empty.
inline const char* fuzz_scratch_dir(const char* tag) {
    static char path[96] = {};
    if (!path[0]) {
        snprintf(path, sizeof path, "%s/%s_XXXXXX", fuzz_scratch_root(), tag);
        if (!mkdtemp(path)) abort();
        atexit([] { rmdir(path); });
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
