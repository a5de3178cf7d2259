// Writing PNM files for the asset generators (build-time tools only).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes a P4 bitmap: bits holds width x height values, non-zero = set (white).
inline bool write_p4(const std::string& path, int width, int height,
                     const std::vector<uint8_t>& bits, const std::string& comment) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    fprintf(f, "P4\n# %s\n%d %d\n", comment.c_str(), width, height);
    const int row_bytes = (width + 7) / 8;
    std::vector<uint8_t> row(row_bytes);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < width; ++x)
            if (bits[y * width + x]) row[x / 8] |= 0x80 >> (x % 8);
        fwrite(row.data(), 1, row.size(), f);
    }
    return fclose(f) == 0;
}

// Writes a P6 picture: rgb holds width x height x 3 bytes.
inline bool write_p6(const std::string& path, int width, int height,
                     const std::vector<uint8_t>& rgb, const std::string& comment) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    fprintf(f, "P6\n# %s\n%d %d\n255\n", comment.c_str(), width, height);
    fwrite(rgb.data(), 1, rgb.size(), f);
    return fclose(f) == 0;
}
