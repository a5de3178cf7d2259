#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

const uint32_t W = 0xFFFFFF;

std::vector<uint32_t> pixels(const Image* image) {
    return std::vector<uint32_t>(image->pixels, image->pixels + image->width * image->height);
}

// A scratch file holding the given bytes, removed with the object.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& bytes) {
        char name[] = "/tmp/pnm_test_XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        FILE* f = fdopen(fd, "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    ~TempFile() { remove(path.c_str()); }
};

// Decodes the bytes in memory, through the length-taking decoder, checking
// that the zero-terminated decoder agrees with it whenever it succeeds.
Image* memory(const std::string& bytes) {
    Image* a = img_from_pnm_length(reinterpret_cast<const uint8_t*>(bytes.data()),
                                   static_cast<int64_t>(bytes.size()));
    if (a) {
        Image* b = img_from_pnm(reinterpret_cast<const uint8_t*>(bytes.c_str()));
        EXPECT_NE(b, nullptr);
        if (b) {
            EXPECT_EQ(img_equal(a, b), 1);
            img_free(&b);
        }
    }
    return a;
}

Image* file(const std::string& bytes) {
    TempFile f(bytes);
    return img_load_pnm(f.path.c_str());
}

}  // namespace

TEST(Pnm, RawTypesFromMemoryAndFile) {
    const std::string p6 = std::string("P6\n2\n1\n255\n") + std::string("\xFF\0\0\0\0\xFF", 6);
    for (Image* image : {memory(p6), file(p6)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, 2);
        EXPECT_EQ(image->height, 1);
        EXPECT_EQ(image->x, 0);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x00FF0000, 0x000000FF}));
        img_free(&image);
    }
    const std::string p5 = "P5\n1\n1\n255\n\x10";
    for (Image* image : {memory(p5), file(p5)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x00101010}));
        img_free(&image);
    }
    // maxval is ignored: samples are never scaled.
    const std::string low = "P6\n1\n1\n15\n\x0F\x0F\x0F";
    for (Image* image : {memory(low), file(low)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x000F0F0F}));
        img_free(&image);
    }
}

TEST(Pnm, BitmapWidthsDifferBetweenMemoryAndFile) {
    // P4 3 x 1, byte A0: memory rounds the width to 8, the file keeps 3.
    const std::string p4 = "P4\n3\n1\n\xA0";
    Image* m = memory(p4);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{W, 0, W, 0, 0, 0, 0, 0}));
    img_free(&m);
    Image* f = file(p4);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{W, 0, W}));
    img_free(&f);

    // From a file every P4 row starts on a new byte.
    f = file(std::string("P4\n10\n2\n\xC0\x40\x80\x00", 12));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{W, W, 0, 0, 0, 0, 0, 0, 0, W,  //
                                                W, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    img_free(&f);
    // In memory a 10-wide bitmap is 16 wide: two whole bytes per row.
    m = memory("P4\n10\n2\n\xC0\x40\x80\x01");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->width, 16);
    EXPECT_EQ(img_get_pixel(m, 9, 0), W);
    EXPECT_EQ(img_get_pixel(m, 0, 1), W);
    EXPECT_EQ(img_get_pixel(m, 15, 1), W);
    img_free(&m);
}

TEST(Pnm, P1DigitsInMemoryNumbersInFiles) {
    const std::string spaced = "P1\n4\n1\n1 0 1 0";
    Image* f = file(spaced);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{W, 0, W, 0}));
    img_free(&f);

    // Without spaces: one digit per pixel in memory (width 8), one number in a file.
    const std::string packed = "P1\n4\n1\n10100110\n";
    Image* m = memory(packed);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{W, 0, W, 0, 0, W, W, 0}));
    img_free(&m);
    f = file("P1\n4\n1\n1010 0 7 0\n");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{W, 0, W, 0}));
    img_free(&f);
    // Any non-zero digit is white in memory.
    m = memory("P1 8 1 01234567");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{0, W, W, W, W, W, W, W}));
    img_free(&m);
}

TEST(Pnm, TextTypesSpillPastTheirChannel) {
    const std::string p3 = "P3\n1\n1\n255\n300 0 0";
    const std::string p2 = "P2\n2\n1\n255\n#x\n1 256";
    for (Image* image : {memory(p3), file(p3)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x012C0000}));
        img_free(&image);
    }
    for (Image* image : {memory(p2), file(p2)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x010101, 0x01010100 | 0x010000 | 0x100}));
        img_free(&image);
    }
}

TEST(Pnm, HeaderCommentsAndJunk) {
    // A comment between type and width is skipped.
    Image* m = memory("P5\n# made by hand\n2 1\n255\n\x01\x02");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{0x010101, 0x020202}));
    img_free(&m);
    // A comment straight after the maxval's newline is data.
    const std::string late = "P5\n3 1\n255\n#ab";
    for (Image* image : {memory(late), file(late)}) {
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(pixels(image), (std::vector<uint32_t>{0x232323, 0x616161, 0x626262}));
        img_free(&image);
    }
    // In memory the byte after the last number is skipped whatever it is; in a
    // file the number has already consumed it.
    const std::string tight = "P5 2 1 255XYZ";
    m = memory(tight);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{0x595959, 0x5A5A5A}));
    img_free(&m);
    Image* f = file(tight);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{0x595959, 0x5A5A5A}));
    img_free(&f);
    // A junk byte fills one field per pass in memory (here the maxval)...
    m = memory("P5 2 1 x\x07\x08");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(pixels(m), (std::vector<uint32_t>{0x070707, 0x080808}));
    img_free(&m);
    // ...and only one field, consumed, in a file.
    f = file("P5 2 x 1 \x07\x08");
    EXPECT_EQ(f, nullptr);  // height 0
    f = file("P5 2 1 x\x07\x08");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{0x070707, 0x080808}));
    img_free(&f);
    // Numbers and control bytes before the type still count.
    m = memory("\x01\x7F 2 1 P4\n\x80");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->width, 8);
    EXPECT_EQ(img_get_pixel(m, 0, 0), W);
    img_free(&m);
}

TEST(Pnm, BadHeadersFailWithAnError) {
    const std::vector<std::string> bad = {
        "P7\n1 1\n255\n\0\0\0",       // type outside 1 to 6
        "P6\n0 1\n255\n\1\2\3",       // width 0
        "P6\nx\n",                    // junk fills width, height and maxval with 0
        "P5\n1 0\n255\n\1",           // height 0
        "P5\n4294967297 1\n255\n\1",  // number beyond 32 bits
        "P5\n2147483648 1\n255\n\1",  // beyond 2^31 - 1
        "P5\n65536 65536\n255\n\1",   // more pixels than an Image can hold
        "P5\n40000 40000\n255\n\1",   // far more pixels than the input holds
        "",                           // nothing
        "hello world",                // no type ever: must end, not spin
        "1 2 3 4 5 6 7 8 9 !!! ###",  // no type, comment to the end
        "P",                          // type byte missing
    };
    for (const std::string& b : bad) {
        EXPECT_EQ(reported([&] { EXPECT_EQ(memory(b), nullptr) << b; }), "IMG error\n") << b;
        EXPECT_EQ(reported([&] { EXPECT_EQ(file(b), nullptr) << b; }), "IMG error\n") << b;
    }
    EXPECT_EQ(reported([] {
                  EXPECT_EQ(img_from_pnm(nullptr), nullptr);
                  EXPECT_EQ(img_from_pnm_length(nullptr, 3), nullptr);
                  EXPECT_EQ(img_load_pnm(nullptr), nullptr);
                  EXPECT_EQ(img_load_pnm("/nonexistent/picture.ppm"), nullptr);
              }),
              "IMG error\nIMG error\nIMG error\nIMG error\n");
}

TEST(Pnm, TruncatedInputIsRefusedWithoutReadingOn) {
    // Every proper prefix of these pictures ends early: the length-taking
    // decoder and the file reader must refuse each without reading past it.
    const std::vector<std::string> pictures = {
        std::string("P6\n2 2\n255\n") + std::string(12, '\x11'),
        std::string("P5 3 2 255 ") + std::string(6, '\0'),
        std::string("P4\n9 2\n") + "\xFF\x80\x01\x02",
        "P3\n1 2\n255\n1 2 3\n4 5 6",
        "P2\n2 1\n9\n7 8",
        "P1\n3 1\n1 0 1 1 1 0 0 1",  // eight digits in memory, where the width becomes 8
    };
    for (const std::string& p : pictures) {
        for (size_t n = 0; n < p.size(); ++n) {
            // An exact-size copy, so that ASan sees any read past its end.
            std::vector<uint8_t> copy(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(n));
            Image* image = img_from_pnm_length(copy.data(), static_cast<int64_t>(n));
            // Text data may legitimately end on a number's last digit.
            if (image && p[1] >= '4') ADD_FAILURE() << p << " cut at " << n;
            if (image) img_free(&image);
            Image* f = file(p.substr(0, n));
            if (f && p[1] >= '4') ADD_FAILURE() << p << " file cut at " << n;
            if (f) img_free(&f);
        }
        Image* whole = img_from_pnm_length(reinterpret_cast<const uint8_t*>(p.data()),
                                           static_cast<int64_t>(p.size()));
        EXPECT_NE(whole, nullptr) << p;
        if (whole) img_free(&whole);
    }
    // A zero byte ends text data in memory; a file reads it as a separator.
    const std::string zero = std::string("P2 2 1 9 7\0 8", 13);
    EXPECT_EQ(memory(zero), nullptr);
    Image* f = file(zero);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pixels(f), (std::vector<uint32_t>{0x070707, 0x080808}));
    img_free(&f);
}
