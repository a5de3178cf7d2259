// Builds the font sheet (P4, 256 x 32) from its drawing in text.
// Usage: make_font FONT.txt OUT.pbm
//
// The drawing holds one block per glyph: a header line "= 'c'" (or "= N" for
// code N), then 8 rows of 8 characters, '#' lit and '.' clear. Lines starting
// with ';' and blank lines are skipped. Code c lands in the cell at column
// (c * 8) mod 256 of cell row (c * 8) div 256: 32 cells a row, codes 0 to 127.
// Any mistake in the drawing (a short row, a stray character, a glyph drawn
// twice, a lit rightmost column) stops the build with the line it is on.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "assets/gen/pnm_write.h"

namespace {

constexpr int cell = 8;
constexpr int sheet_width = 256;
constexpr int sheet_height = 32;
constexpr int codes = 128;

[[noreturn]] void fail(const char* path, int line, const std::string& why) {
    fprintf(stderr, "%s:%d: %s\n", path, line, why.c_str());
    exit(1);
}

// The code a header line names, or -1 when the line is no header.
int header_code(const std::string& line) {
    if (line.size() < 3 || line.compare(0, 2, "= ") != 0) return -1;
    const std::string name = line.substr(2);
    if (name.size() == 3 && name[0] == '\'' && name[2] == '\'')
        return static_cast<unsigned char>(name[1]);
    if (name.find_first_not_of("0123456789") != std::string::npos || name.size() > 3) return -2;
    return std::stoi(name);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_font FONT.txt OUT.pbm\n");
        return 2;
    }
    const char* path = argv[1];
    std::ifstream in(path);
    if (!in) fail(path, 0, "cannot read the drawing");

    std::vector<uint8_t> bits(sheet_width * sheet_height, 0);
    std::vector<bool> drawn(codes, false);
    int code = -1;  // the glyph being read, -1 between glyphs
    int row = 0;
    int number = 0;
    std::string line;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (code < 0) {
            if (line.empty() || line[0] == ';') continue;
            code = header_code(line);
            if (code < 0 || code >= codes) fail(path, number, "expected = 'c' or = N (0..127)");
            if (drawn[code]) fail(path, number, "glyph drawn twice");
            drawn[code] = true;
            row = 0;
            continue;
        }
        if (line.size() != cell || line.find_first_not_of("#.") != std::string::npos)
            fail(path, number, "a glyph row is 8 characters of '#' and '.'");
        if (line[cell - 1] == '#') fail(path, number, "the rightmost column is spacing");
        const int x0 = (code * cell) % sheet_width;
        const int y0 = (code * cell) / sheet_width * cell;
        for (int x = 0; x < cell; ++x)
            bits[(y0 + row) * sheet_width + x0 + x] = line[x] == '#';
        if (++row == cell) code = -1;
    }
    if (code >= 0) fail(path, number, "the last glyph has fewer than 8 rows");
    return write_p4(argv[2], sheet_width, sheet_height, bits, "QUOR7706 font, 8 x 8 cells") ? 0 : 1;
}
