#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string icon_path(const std::string& dir, int size) {
    return dir + "/icon-" + std::to_string(size) + ".png";
}

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Bit by bit, as the PNG book gives it; slow and plain.
uint32_t crc32(const uint8_t* p, size_t n) {
    uint32_t c = 0xffffffffu;
    for (size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k)
            c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
    }
    return ~c;
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t v : data) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

// A decoded RGBA picture and what was seen of its file on the way.
struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    int stored_blocks = 0;

    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Reads the PNG files our writer makes: every chunk's length and CRC, an RGBA
// 8-bit header, a zlib stream of stored deflate blocks with its Adler-32, and
// rows without filtering. Fails the test (and returns false) on anything else.
bool decode(const std::vector<uint8_t>& file, Png& png) {
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return false;
    }
    std::vector<std::string> types;
    std::vector<uint8_t> z;
    size_t at = 8;
    while (at + 12 <= file.size()) {
        const uint32_t length = be32(&file[at]);
        if (length > file.size() - at - 12) {
            ADD_FAILURE() << "chunk " << types.size() << " runs past the end of the file";
            return false;
        }
        const std::string type(file.begin() + at + 4, file.begin() + at + 8);
        const uint8_t* data = &file[at + 8];
        EXPECT_EQ(be32(data + length), crc32(&file[at + 4], length + 4)) << type << " CRC";
        if (type == "IHDR") {
            EXPECT_EQ(length, 13u);
            png.width = static_cast<int>(be32(data));
            png.height = static_cast<int>(be32(data + 4));
            EXPECT_EQ(std::vector<uint8_t>(data + 8, data + 13),
                      (std::vector<uint8_t>{8, 6, 0, 0, 0}))
                << "depth 8, RGBA, deflate, no filter method, no interlace";
        }
        if (type == "IDAT") z.insert(z.end(), data, data + length);
        types.push_back(type);
        at += length + 12;
    }
    EXPECT_EQ(at, file.size()) << "bytes after the last chunk";
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    if (png.width <= 0 || png.height <= 0 || z.size() < 6) {
        ADD_FAILURE() << "no header or no pixel data";
        return false;
    }

    // zlib: method 8 (deflate), window at most 32K, no dictionary, header check.
    EXPECT_EQ(z[0] & 0x0f, 8);
    EXPECT_LE(z[0] >> 4, 7);
    EXPECT_EQ(z[1] & 0x20, 0);
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0);
    std::vector<uint8_t> raw;
    size_t pos = 2;
    bool final_block = false;
    while (!final_block) {
        if (pos + 5 > z.size()) {
            ADD_FAILURE() << "the deflate stream ends without a final block";
            return false;
        }
        final_block = z[pos] & 1;
        if ((z[pos] >> 1) != 0) {
            ADD_FAILURE() << "block " << png.stored_blocks << " is not a stored block";
            return false;
        }
        const unsigned len = z[pos + 1] | z[pos + 2] << 8;
        const unsigned nlen = z[pos + 3] | z[pos + 4] << 8;
        EXPECT_EQ(len ^ 0xffffu, nlen);
        pos += 5;
        if (len > z.size() - pos) {
            ADD_FAILURE() << "stored block runs past the stream";
            return false;
        }
        raw.insert(raw.end(), z.begin() + pos, z.begin() + pos + len);
        pos += len;
        ++png.stored_blocks;
    }
    EXPECT_EQ(z.size(), pos + 4) << "the Adler-32 ends the stream";
    if (z.size() != pos + 4) return false;
    EXPECT_EQ(be32(&z[pos]), adler32(raw));

    const size_t row = size_t(png.width) * 4 + 1;
    if (raw.size() != row * png.height) {
        ADD_FAILURE() << "pixel data of " << raw.size() << " bytes";
        return false;
    }
    for (int y = 0; y < png.height; ++y) {
        EXPECT_EQ(raw[y * row], 0) << "row " << y << " filter";
        png.rgba.insert(png.rgba.end(), raw.begin() + y * row + 1, raw.begin() + (y + 1) * row);
    }
    return true;
}

Png load(int size) {
    Png png;
    const std::vector<uint8_t> file = read_file(icon_path(QUOR_ICON_DIR, size));
    EXPECT_FALSE(file.empty()) << icon_path(QUOR_ICON_DIR, size);
    decode(file, png);
    return png;
}

int luma(const uint8_t* p) {
    return (p[0] * 30 + p[1] * 59 + p[2] * 11) / 100;
}

// Runs a shell command; returns its exit status and what it printed on stderr.
struct Outcome {
    int status;
    std::string err;
};
Outcome run(const std::string& command, const std::string& scratch) {
    const std::string err = scratch + "/stderr.txt";
    const int status = std::system((command + " 2>" + err).c_str());
    const std::vector<uint8_t> text = read_file(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(text.begin(), text.end())};
}

class Scratch {
public:
    Scratch()
        : path_(std::filesystem::temp_directory_path() /
                ("icon_test-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~Scratch() { std::filesystem::remove_all(path_); }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

}  // namespace

TEST(Icon, EachSizeIsAWellFormedRgbaPngOfThatSize) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const Png png = load(size);
        EXPECT_EQ(png.width, size);
        EXPECT_EQ(png.height, size);
        EXPECT_EQ(png.rgba.size(), size_t(size) * size * 4);
    }
    // 256 rows of 1025 bytes need several stored blocks of at most 65535.
    EXPECT_EQ(load(256).stored_blocks, 5);
    EXPECT_EQ(load(16).stored_blocks, 1);
}

TEST(Icon, ARoundedOpaqueTileWithSmoothEdgesOnTransparency) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const Png png = load(size);
        if (png.rgba.empty()) continue;
        const int last = size - 1;
        for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
            EXPECT_EQ(png.at(x, y)[3], 0) << "corner " << x << "," << y;
        // Rounded corners: near a corner the diagonal is clear of the tile
        // while the edges beside it, as far in, are covered.
        const int k = size / 16;
        EXPECT_EQ(png.at(size / 2, k)[3], 255);
        EXPECT_EQ(png.at(k, size / 2)[3], 255);
        EXPECT_LT(png.at(k, k)[3], 160);
        int opaque = 0, partial = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint8_t a = png.at(x, y)[3];
                opaque += a == 255;
                partial += a > 0 && a < 255;
                if (x >= size / 8 && x < size - size / 8 && y >= size / 8 && y < size - size / 8) {
                    ASSERT_EQ(a, 255) << "inside the tile at " << x << "," << y;
                }
            }
        EXPECT_GT(opaque, size * size * 2 / 3);
        EXPECT_GT(partial, 0) << "antialiased edge";
    }
}

TEST(Icon, APictureWithDarkAndBrightAreasAtEverySize) {
    for (int size : kSizes) {
        SCOPED_TRACE(size);
        const Png png = load(size);
        std::map<uint32_t, int> colours;
        int dark = 0, bright = 0, opaque = 0;
        for (int y = 0; y < png.height; ++y)
            for (int x = 0; x < png.width; ++x) {
                const uint8_t* p = png.at(x, y);
                if (p[3] != 255) continue;
                ++opaque;
                ++colours[p[0] << 16 | p[1] << 8 | p[2]];
                dark += luma(p) < 48;
                bright += luma(p) > 190;
            }
        // Not a flat picture: many colours, none of them covering much.
        int commonest = 0;
        for (const auto& [colour, count] : colours)
            commonest = std::max(commonest, count);
        EXPECT_GT(colours.size(), size_t(opaque / 10));
        EXPECT_LT(commonest, opaque / 10);
        // At least a few per cent of the tile each: the letter against the glass.
        EXPECT_GT(dark, opaque / 20);
        EXPECT_GT(bright, opaque / 40);
    }
}

TEST(Icon, TheGeneratorWritesTheSameBytesAgainAndReportsAFailedWrite) {
    Scratch scratch;
    const Outcome again = run(std::string(QUOR_MAKE_ICON) + " " + scratch.str(), scratch.str());
    EXPECT_EQ(again.status, 0) << again.err;
    for (int size : kSizes)
        EXPECT_EQ(read_file(icon_path(scratch.str(), size)),
                  read_file(icon_path(QUOR_ICON_DIR, size)))
            << size;

    const Outcome missing =
        run(std::string(QUOR_MAKE_ICON) + " " + scratch.str() + "/no/such/folder", scratch.str());
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "make_icon: cannot write " + scratch.str() + "/no/such/folder/icon-16.png\n");

    const Outcome usage = run(std::string(QUOR_MAKE_ICON), scratch.str());
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.err, "usage: make_icon OUTDIR\n");
}
