// Builds the font sheet (P4, 256 x 32) from its drawing in text.
// Usage: make_font FONT.txt OUT.pbm
#include <cstdio>

#include "assets/gen/pnm_write.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_font FONT.txt OUT.pbm\n");
        return 2;
    }
    std::vector<uint8_t> bits(256 * 32, 0);
    return write_p4(argv[2], 256, 32, bits, "QUOR7706 font") ? 0 : 1;
}
