// PNM pictures from memory and from files: every type, the header rules in
// which the two differ, bad headers and input that ends early.
#include <unistd.h>

#include <cstdio>

#include "image/tests/image_test_util.h"

namespace {

// Width, height and pixels of a decoded picture, which is freed; {} for null.
Px got(Image* image) {
    if (!image) return {};
    Px out = pixels(image);
    out.insert(out.begin(), {static_cast<uint32_t>(image->width), uint32_t(image->height)});
    img_free(&image);
    return out;
}

// The same for a bitmap given as '1' (white) and '0' characters.
Px bw(uint32_t w, uint32_t h, const std::string& bits) {
    Px out = {w, h};
    for (char c : bits)
        out.push_back(c == '1' ? 0xFFFFFF : 0);
    return out;
}

// Decodes the bytes in memory through the length-taking decoder, checking
// that the zero-terminated decoder agrees with it whenever it succeeds.
Image* memory(const std::string& bytes) {
    Image* a = img_from_pnm_length(reinterpret_cast<const uint8_t*>(bytes.data()),
                                   static_cast<int64_t>(bytes.size()));
    const uint8_t* text = reinterpret_cast<const uint8_t*>(bytes.c_str());
    EXPECT_EQ(got(a ? img_from_pnm(text) : nullptr), got(a ? img_clone(a) : nullptr));
    return a;
}

// Decodes the bytes from a scratch file.
Image* file(const std::string& bytes) {
    const std::string path = testing::TempDir() + "pnm_test_" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << bytes;
    Image* image = img_load_pnm(path.c_str());
    remove(path.c_str());
    return image;
}

}  // namespace

TEST(Pnm, EveryTypeFromMemoryAndFile) {
    using S = std::string;
    const Px unchecked = {~0u};
    // What memory and a file make of the same bytes. In memory P1 and P4 widths
    // round up to 8, each P1 pixel is one digit, the byte after the header is
    // skipped and a zero byte ends text data; a file keeps widths, starts each
    // P4 row on a new byte, reads P1 pixels as numbers and consumes each header
    // byte it looks at.
    const Rows<S, Px, Px> cases = {
        // maxval is ignored: samples are never scaled.
        {S("P6\n2\n1\n15\n\xFF\0\0\0\0\xFF", 16), {2, 1, 0xFF0000, 0xFF}, {2, 1, 0xFF0000, 0xFF}},
        {"P4\n3\n1\n\xA0", bw(8, 1, "10100000"), bw(3, 1, "101")},
        {"P4\n10\n2\n\xC0\x40\x80\x01", bw(16, 2, "11000000010000001000000000000001"),
         bw(10, 2, "11000000011000000000")},
        {"P1\n4\n1\n10100110\n", bw(8, 1, "10100110"), unchecked},
        {"P1 8 1 01234567", bw(8, 1, "01111111"), unchecked},
        // Text samples spill past their channel.
        {"P3\n1\n1\n255\n300 0 0", {1, 1, 0x012C0000}, {1, 1, 0x012C0000}},
        {"P2\n2\n1\n255\n#x\n1 256", {2, 1, 0x010101, 0x01010100}, {2, 1, 0x010101, 0x01010100}},
        // A comment in the header.
        {"P5\n# made by hand\n2 1\n255\n\x01\x02", {2, 1, 0x010101, 0x020202}, unchecked},
        // A comment straight after the maxval's newline is data.
        {"P5\n3 1\n255\n#ab",
         {3, 1, 0x232323, 0x616161, 0x626262},
         {3, 1, 0x232323, 0x616161, 0x626262}},
        // The byte after the last number: skipped in memory, consumed in a file.
        {"P5 2 1 255XYZ", {2, 1, 0x595959, 0x5A5A5A}, {2, 1, 0x595959, 0x5A5A5A}},
        // A junk byte fills one field (here the maxval) in memory and in a file...
        {"P5 2 1 x\x07\x08", {2, 1, 0x070707, 0x080808}, {2, 1, 0x070707, 0x080808}},
        // ...and is consumed in a file: here the height becomes 0.
        {"P5 2 x 1 \x07\x08", unchecked, {}},
        // Numbers and control bytes before the type still count.
        {"\x01\x7F 2 1 P4\n\x80", bw(8, 1, "10000000"), unchecked},
        {S("P2 2 1 9 7\0 8", 13), {}, {2, 1, 0x070707, 0x080808}},
    };
    for (auto& [bytes, m, f] : cases) {
        EXPECT_EQ(m == unchecked ? m : got(memory(bytes)), m) << bytes;
        EXPECT_EQ(f == unchecked ? f : got(file(bytes)), f) << bytes;
    }
}

TEST(Pnm, BadHeadersFailWithAnError) {
    // A type outside 1 to 6; width 0; height 0; a number beyond 2^31 - 1;
    // more pixels than an Image can hold; nothing; no type ever (must end, not
    // spin); no type and a comment to the end; a missing type byte; junk
    // filling width, height and maxval with 0.
    for (const char* b :
         {"P7 1 1 255 \0\0\0", "P6 0 1 255 \1\2\3", "P5 1 0 255 \1", "P5 2147483648 1 255 \1",
          "P5 65536 65536 255 \1", "", "hello world", "1 2 3 4 5 6 7 8 9 !!! ###", "P", "P6 x "}) {
        EXPECT_EQ(errors(1), reported([&] { EXPECT_EQ(memory(b), nullptr) << b; })) << b;
        EXPECT_EQ(errors(1), reported([&] { EXPECT_EQ(file(b), nullptr) << b; })) << b;
    }
    EXPECT_EQ(errors(4), reported([] {
                  for (Image* image : {img_from_pnm(nullptr), img_from_pnm_length(nullptr, 3),
                                       img_load_pnm(nullptr), img_load_pnm("/nonexistent/x.ppm")})
                      EXPECT_EQ(image, nullptr);
              }));
}

TEST(Pnm, TruncatedInputIsRefusedWithoutReadingOn) {
    // Every proper prefix of these pictures ends early: the length-taking
    // decoder and the file reader must refuse each without reading past it.
    // (The P1 picture has eight digits for memory, where the width becomes 8.)
    using S = std::string;
    for (const S& p : {S("P6 2 2 255 ") + S(12, '\x11'), S("P5 3 2 255 ") + S(6, '\0'),
                       S("P4 9 2 ") + "\xFF\x80\x01\x02", S("P3 1 2 255 1 2 3 4 5 6"),
                       S("P2 2 1 9 7 8"), S("P1 3 1 1 0 1 1 1 0 0 1")}) {
        for (size_t n = 0; n < p.size(); ++n) {
            // An exact-size copy, so that ASan sees any read past its end.
            std::vector<uint8_t> copy(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(n));
            const Px m = got(img_from_pnm_length(copy.data(), static_cast<int64_t>(n)));
            const Px f = got(file(p.substr(0, n)));
            // Text data may legitimately end on a number's last digit.
            EXPECT_TRUE(p[1] < '4' || (m.empty() && f.empty())) << p << " cut at " << n;
        }
        EXPECT_NE(got(memory(p)), Px{}) << p;
        EXPECT_NE(got(file(p)), Px{}) << p;
    }
}
