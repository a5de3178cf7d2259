// Synthesises the 25 sounds of the music and writes them one after another as
// signed 32-bit little-endian values, in index order.
// Usage: make_sounds OUT.bin
#include <cstdint>
#include <cstdio>
#include <vector>

#include "assets/gen/sound_lengths.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_sounds OUT.bin\n");
        return 2;
    }
    FILE* f = fopen(argv[1], "wb");
    if (!f) return 1;
    for (int32_t n : sound_lengths) {
        std::vector<int32_t> values(n, 0);
        fwrite(values.data(), 4, values.size(), f);
    }
    return fclose(f) == 0 ? 0 : 1;
}
