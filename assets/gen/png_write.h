// Writing PNG files for the asset generators (build-time tools only): 8-bit
// RGBA, the pixels stored in the zlib stream without compression. The icons
// are small, so stored deflate blocks cost little and keep the writer short
// and its bytes obvious; the checksums are computed here too.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace png {

inline uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

inline uint32_t adler32(const uint8_t* data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

inline void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

// A chunk: length, type, data, and the CRC of type and data.
inline void put_chunk(std::vector<uint8_t>& out, const char* type,
                      const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32(out, crc32(out.data() + start, out.size() - start));
}

// Writes rgba (width x height x 4 bytes, rows top to bottom) to path.
inline bool write_rgba(const std::string& path, int width, int height,
                       const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(),
                  {8, 6, 0, 0, 0});  // depth 8, RGBA, deflate, no filter, no interlace
    // Each row starts with its filter type, 0 (none).
    std::vector<uint8_t> raw;
    const size_t row = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * row, rgba.begin() + (y + 1) * row);
    }
    // zlib: deflate with a 32K window, then stored blocks of at most 65535 bytes.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        z.insert(z.end(),
                 {uint8_t(last), uint8_t(n), uint8_t(n >> 8), uint8_t(~n), uint8_t(~n >> 8)});
        z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    } while (at < raw.size());
    put32(z, adler32(raw.data(), raw.size()));

    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    put_chunk(file, "IHDR", header);
    put_chunk(file, "IDAT", z);
    put_chunk(file, "IEND", {});
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = fwrite(file.data(), 1, file.size(), f) == file.size();
    return fclose(f) == 0 && written;
}

}  // namespace png
