// Draws the logo: the mask (P4, 320 x 64) and the colour logo (P6, 320 x 64).
// Usage: make_logo OUTDIR   (writes logo-mask.pbm and logo.ppm)
#include <cstdio>
#include <string>

#include "assets/gen/pnm_write.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_logo OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<uint8_t> bits(320 * 64, 0);
    std::vector<uint8_t> rgb(320 * 64 * 3, 0);
    if (!write_p4(dir + "/logo-mask.pbm", 320, 64, bits, "QUOR7706 logo mask")) return 1;
    return write_p6(dir + "/logo.ppm", 320, 64, rgb, "QUOR7706 logo") ? 0 : 1;
}
