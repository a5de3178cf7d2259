// PPM files and the IMG text form, written and read back, and the text search.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "image/tests/image_test_util.h"

namespace {

// The text form of an image, or "<null>".
std::string text_of(const Image* image) {
    char* t = img_to_text(image);
    std::string s = t ? t : "<null>";
    free(t);
    return s;
}

}  // namespace

TEST(TextForm, PpmBytes) {
    const std::string path = testing::TempDir() + "ppm_test_" + std::to_string(getpid());
    Keep keep;
    // The header, then red, green, blue per pixel; the top byte is never
    // written and the size line grows with its digits.
    for (auto& [image, bytes] : Rows<Image*, std::string>{
             {keep(sized(1, 1, {0x00FF8000})), std::string("P6\n1 1\n255\n\xFF\x80\x00", 14)},
             {keep(sized(12, 1, Px(12, 0xFF070707))), "P6\n12 1\n255\n" + std::string(36, 7)}}) {
        EXPECT_EQ(img_save_ppm(image, path.c_str()), 1);
        EXPECT_EQ(slurp(path), bytes);
    }
    remove(path.c_str());
    Image* back = keep(sized(1, 1));

    // Refusals touch no file; a write that fails is a failure, not a saved file.
    EXPECT_EQ(errors(3), reported([&] {
                  EXPECT_EQ(img_save_ppm(keep(sized(0, 4)), path.c_str()), 0);
                  EXPECT_EQ(img_save_ppm(nullptr, path.c_str()), 0);
                  EXPECT_EQ(img_save_ppm(back, (path + "/no/such/dir.ppm").c_str()), 0);
              }));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_EQ(errors(1), reported([&] { EXPECT_EQ(img_save_ppm(back, "/dev/full"), 0); }));
    }
}

TEST(TextForm, LinesRoundTripAndSearch) {
    Keep keep;
    // Six pixels a line; a full last line ends in its own newline.
    const std::string z = "  0   0   0   0   0   0   0   0   0   0   0   0   0   0   0";
    const Rows<Image*, std::string> forms = {
        {keep(sized(0, 3)), "IMG{}"},
        {nullptr, "<null>"},
        {keep(sized(1, 1, {0x000A0B0C})), "IMG{\nP3\n1 1\n255\n 10  11  12\n}\n"},
        {keep(sized(6, 1, {0, 0, 0, 0, 0, 0xFFFFFF})),
         "IMG{\nP3\n6 1\n255\n" + z + " 255 255 255\n}\n"},
        {keep(sized(7, 1, {0, 0, 0, 0, 0, 0, 0x01640009})),
         "IMG{\nP3\n7 1\n255\n" + z + "   0   0   0\n100   0   9\n}\n"},
    };
    for (auto& [image, text] : forms)
        EXPECT_EQ(errors(!image), reported([&] { EXPECT_EQ(text_of(image), text); }));

    // Reading back gives the same image, with or without the closing brace.
    Image* image = keep(sized(7, 3));
    for (int32_t i = 0; i < 21; ++i)
        image->pixels[i] = static_cast<uint32_t>(i * 0x0B1D2F) & 0xFFFFFF;
    const std::string text = text_of(image);
    for (const std::string& t : {text, text.substr(0, text.size() - 2)})
        EXPECT_EQ(img_equal(image, keep(img_from_text(t.c_str()))), 1);
    // Values combine by OR without a limit: 256 red spills into the top byte.
    EXPECT_EQ(pixels(keep(img_from_text("IMG{\nP3\n1 1\n255\n256 0 0\n}\n"))), Px{0x01000000});

    // Failures: missing markers, text ending early, overflowing numbers.
    for (const char* bad :
         {"IMG{}", "IMG{\nP3\n2 1", "IMG{\nP3\n2 1\n255\n1 2 3 4 5",
          "IMG{\nP3\n99999999999 1\n255\n", "IMG{\nP3\n1 1\n255\n1 2 99999999999\n}",
          "IMG{\nP3\n50000 50000\n255\n1 2 3\n}", static_cast<const char*>(nullptr)})
        EXPECT_EQ(errors(1), reported([&] { EXPECT_EQ(img_from_text(bad), nullptr); })) << bad;

    // A false start does not hide a later match.
    const Rows<const char*, const char*, int32_t> finds = {
        {"IMG{", "IMG", 3}, {"", "IMG", 0},       {"IMG", "", 0},
        {"IMG", "IMG{", 0}, {"IMIMG{", "IMG", 5},
    };
    for (auto [text, pattern, at] : finds)
        EXPECT_EQ(img_find_after(text, pattern), at) << text << " " << pattern;
    EXPECT_EQ(errors(2), reported([] {
                  EXPECT_EQ(img_find_after(nullptr, "a") + img_find_after("a", nullptr), 0);
              }));
}
