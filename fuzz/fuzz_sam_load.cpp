// sam_load over a file holding the input. The first byte picks the name
// ending (.sam, .wav, .raw or another) and the depth and byte order the
// headerless reader falls back on; the rest is the file. Whatever loads is
// saved again in the packed and the decimal SAM forms and must load back
// value for value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/sam.h"
#include "fuzz/fuzz_file.h"

namespace {

// A directory of this process for the input and the saved copies, in the
// scratch root (memory-backed when it can be); its files are removed at exit.
const std::string& work_dir() {
    static std::string dir;
    if (dir.empty()) {
        dir = fuzz_scratch_dir("fuzz_sam_load");
        // Registered after the directory's own removal, so it runs first.
        atexit([] {
            for (const char* name :
                 {"in.sam", "in.wav", "in.raw", "in.dat", "back.raw", "back.sam"})
                remove((dir + "/" + name).c_str());
        });
    }
    return dir;
}

// Saves the sample under name with format, loads it back and aborts unless it is equal.
void check_round_trip(const Sample* s, const std::string& name, char format) {
    SamFile* w = sam_new();
    w->name = strdup(name.c_str());
    w->sample = sample_copy(s);
    w->format = format;
    if (!w->sample || sam_save(w) != 1) abort();
    SamFile* r = sam_new();
    r->name = strdup(name.c_str());
    if (sam_load(r) != 1 || !sample_equal(r->sample, s)) abort();
    sam_free(&w);
    sam_free(&r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const endings[4] = {"in.sam", "in.wav", "in.raw", "in.dat"};
    static const int32_t depths[8] = {0, 8, 16, 24, 32, 12, 40, -8};
    static const char orders[4] = {'l', 'm', 'x', 0};
    const uint8_t choice = data[0];
    const std::string path = work_dir() + "/" + endings[choice & 3];
    fuzz_write(path.c_str(), data + 1, size - 1);

    SamFile* r = sam_new();
    r->name = strdup(path.c_str());
    r->depth = depths[(choice >> 2) & 7];
    r->order = orders[(choice >> 5) & 3];
    const int32_t result = sam_load(r);
    if (r->file) abort();
    if (result && !r->sample) abort();
    if (result && r->sample->length <= 4096) {
        check_round_trip(r->sample, work_dir() + "/back.raw", 'b');
        check_round_trip(r->sample, work_dir() + "/back.sam", 'a');
    }
    sam_free(&r);
    return 0;
}
