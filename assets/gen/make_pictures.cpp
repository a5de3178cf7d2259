// Paints the seven 128 x 128 pictures (P6).
// Usage: make_pictures OUTDIR   (writes picture-0.ppm .. picture-6.ppm)
#include <cstdio>
#include <string>

#include "assets/gen/pnm_write.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (int i = 0; i < 7; ++i) {
        std::vector<uint8_t> rgb(128 * 128 * 3, static_cast<uint8_t>(40 + i * 30));
        if (!write_p6(dir + "/picture-" + std::to_string(i) + ".ppm", 128, 128, rgb,
                      "QUOR7706 picture"))
            return 1;
    }
    return 0;
}
