#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "image/img.h"
#include "image/tests/image_test_util.h"

namespace {

std::string text_of(const Image* image) {
    char* t = img_to_text(image);
    std::string s = t ? t : "<null>";
    free(t);
    return s;
}

}  // namespace

TEST(TextForm, PpmHeaderByteForByte) {
    char dir[] = "/tmp/ppm_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/one.ppm";
    Image* image = sized(1, 1);
    image->pixels[0] = 0x00FF8000;
    EXPECT_EQ(img_save_ppm(image, path.c_str()), 1);
    EXPECT_EQ(slurp(path), std::string("P6\n1 1\n255\n\xFF\x80\x00", 14));

    // A 2 x 1 image: the 11-byte header of the layout, then 6 data bytes.
    img_resize(image, 2, 1);
    EXPECT_EQ(img_save_ppm(image, path.c_str()), 1);
    EXPECT_EQ(slurp(path), std::string("P6\n2 1\n255\n\0\0\0\0\0\0", 17));

    // The top byte is never written; the size line grows with its digits.
    img_resize(image, 12, 1);
    image->pixels[11] = 0xFF010203;
    EXPECT_EQ(img_save_ppm(image, path.c_str()), 1);
    const std::string bytes = slurp(path);
    EXPECT_EQ(bytes.substr(0, 12), "P6\n12 1\n255\n");
    EXPECT_EQ(bytes.size(), 12u + 36u);
    EXPECT_EQ(bytes.substr(bytes.size() - 3), "\x01\x02\x03");

    // Saved pictures read back through the PNM file reader.
    Image* back = img_load_pnm(path.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(img_get_pixel(back, 11, 0), 0x00010203u);
    img_free(&back);

    // Refusals: no file is touched.
    const std::string untouched = std::string(dir) + "/never.ppm";
    img_resize(image, 0, 4);
    const std::string out = reported([&] {
        EXPECT_EQ(img_save_ppm(image, untouched.c_str()), 0);
        EXPECT_EQ(img_save_ppm(nullptr, untouched.c_str()), 0);
        img_resize(image, 2, 2);
        EXPECT_EQ(img_save_ppm(image, nullptr), 0);
        EXPECT_EQ(img_save_ppm(image, (std::string(dir) + "/no/such/dir.ppm").c_str()), 0);
    });
    EXPECT_EQ(out, "IMG error\nIMG error\nIMG error\nIMG error\n");
    EXPECT_NE(access(untouched.c_str(), F_OK), 0);
    // A write that fails is a failure, not a saved file.
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(reported([&] { EXPECT_EQ(img_save_ppm(image, "/dev/full"), 0); }), "IMG error\n");
    }
    img_free(&image);
    remove(path.c_str());
    rmdir(dir);
}

TEST(TextForm, LineByLine) {
    Image* image = sized(1, 1);
    image->pixels[0] = 0x000A0B0C;
    EXPECT_EQ(text_of(image), "IMG{\nP3\n1 1\n255\n 10  11  12\n}\n");

    // Six pixels a line; a full last line ends in its own newline.
    img_resize(image, 6, 1);
    image->pixels[5] = 0x00FFFFFF;
    EXPECT_EQ(text_of(image),
              "IMG{\nP3\n6 1\n255\n"
              "  0   0   0   0   0   0   0   0   0   0   0   0   0   0   0 255 255 255\n"
              "}\n");
    img_resize(image, 7, 1);
    image->pixels[6] = 0x01640009;
    EXPECT_EQ(text_of(image),
              "IMG{\nP3\n7 1\n255\n"
              "  0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0\n"
              "100   0   9\n}\n");
    img_resize(image, 0, 0);
    EXPECT_EQ(text_of(image), "IMG{}");
    img_resize(image, 0, 3);
    EXPECT_EQ(text_of(image), "IMG{}");
    EXPECT_EQ(reported([] { EXPECT_EQ(img_to_text(nullptr), nullptr); }), "IMG error\n");
    img_free(&image);
}

TEST(TextForm, RoundTripAndReading) {
    Image* image = sized(7, 3);
    for (int32_t i = 0; i < 21; ++i)
        image->pixels[i] = static_cast<uint32_t>(i * 0x0B1D2F) & 0xFFFFFF;
    char* text = img_to_text(image);
    Image* back = img_from_text(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(img_equal(image, back), 1);
    img_free(&back);

    // The closing brace is not needed.
    std::string open(text);
    open.resize(open.size() - 2);
    back = img_from_text(open.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(img_equal(image, back), 1);
    img_free(&back);
    free(text);

    // Values combine by OR without a limit: 256 red spills into the top byte.
    back = img_from_text("IMG{\nP3\n1 1\n255\n256 0 0\n}\n");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->pixels[0], 0x01000000u);
    img_free(&back);
    // A size of 0 reads back as an empty image.
    back = img_from_text("IMG{\nP3\n0 4\n255\n}\n");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 0);
    EXPECT_EQ(back->height, 4);
    img_free(&back);

    // Failures: missing markers, text ending early, overflowing numbers.
    const char* bad[] = {
        "IMG{}",  // no "P3\n" after the brace
        "",
        "IMG",
        "IMG{\nP3",                                // markers missing
        "IMG{\nP3\n2 1",                           // ends inside the header
        "IMG{\nP3\n2 1\n255\n1 2 3 4 5",           // ends inside the pixels
        "IMG{\nP3\n99999999999 1\n255\n",          // width beyond 32 bits
        "IMG{\nP3\n1 1\n255\n1 2 99999999999\n}",  // value beyond 32 bits
        "IMG{\nP3\n50000 50000\n255\n1 2 3\n}",    // more pixels than the text holds
    };
    for (const char* b : bad)
        EXPECT_EQ(reported([&] { EXPECT_EQ(img_from_text(b), nullptr) << b; }), "IMG error\n") << b;
    EXPECT_EQ(reported([] { EXPECT_EQ(img_from_text(nullptr), nullptr); }), "IMG error\n");
    img_free(&image);
}

TEST(TextForm, FindAfter) {
    EXPECT_EQ(img_find_after("IMG{", "IMG"), 3);
    EXPECT_EQ(img_find_after("IMG", "IMG"), 3);
    EXPECT_EQ(img_find_after("", "IMG"), 0);
    EXPECT_EQ(img_find_after("IMG", ""), 0);
    EXPECT_EQ(img_find_after("IMG", "IMG{"), 0);
    // A false start does not hide a later match.
    EXPECT_EQ(img_find_after("IMIMG{", "IMG"), 5);
    EXPECT_EQ(img_find_after("{\nP3\n", "P3\n"), 5);
    EXPECT_EQ(reported([] {
                  EXPECT_EQ(img_find_after(nullptr, "a"), 0);
                  EXPECT_EQ(img_find_after("a", nullptr), 0);
              }),
              "IMG error\nIMG error\n");
}
