#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "assets/assets.h"
#include "image/img.h"
#include "text/font.h"

namespace {

// The header lines of a PNM blob up to the raster, and the raster's size.
struct Header {
    std::vector<std::string> lines;
    int64_t raster;
};

Header header(const Blob& blob, int lines) {
    Header h;
    int64_t at = 0;
    while (static_cast<int>(h.lines.size()) < lines) {
        const auto* end = static_cast<const uint8_t*>(memchr(blob.data + at, '\n', blob.size - at));
        if (!end) break;
        h.lines.emplace_back(reinterpret_cast<const char*>(blob.data + at), end - blob.data - at);
        at = end - blob.data + 1;
    }
    h.raster = blob.size - at;
    return h;
}

// The number of comment lines after the magic line (stopping at the first other line).
int comments(const Blob& blob) {
    const Header h = header(blob, 5);
    int n = 0;
    while (n + 1 < static_cast<int>(h.lines.size()) && h.lines[n + 1].starts_with('#'))
        ++n;
    return n;
}

Image* decoded(const Blob& blob) {
    return img_from_pnm_length(blob.data, blob.size);
}

Font* demo_font() {
    Font* font = font_new();
    font->width = 8;
    font->height = 8;
    font->image = decoded(font_sheet);
    return font;
}

}  // namespace

TEST(Assets, EachPictureIsAWholePnmOfItsTypeAndSize) {
    std::vector<std::tuple<std::string, Blob, int, int>> blobs = {
        {"P4", font_sheet, 256, 32}, {"P4", logo_mask_blob, 320, 64}, {"P6", logo_blob, 320, 64}};
    for (const Blob& picture : picture_blobs)
        blobs.emplace_back("P6", picture, 128, 128);
    for (const auto& [magic, blob, width, height] : blobs) {
        SCOPED_TRACE(magic + " " + std::to_string(width) + " x " + std::to_string(height));
        const int n = comments(blob);
        EXPECT_GE(n, 1);
        EXPECT_LE(n, 3);
        const bool colour = magic == "P6";
        const Header h = header(blob, 2 + n + colour);
        ASSERT_EQ(h.lines.size(), 2u + n + colour);
        EXPECT_EQ(h.lines[0], magic);
        EXPECT_EQ(h.lines[1 + n], std::to_string(width) + " " + std::to_string(height));
        if (colour) {
            EXPECT_EQ(h.lines.back(), "255");
        }
        EXPECT_EQ(h.raster, colour ? width * height * 3 : width / 8 * height);
        Image* image = decoded(blob);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::pair(image->width, image->height), std::pair(width, height));
        img_free(&image);
    }
}

TEST(Assets, ColourLogoIsBlackExactlyWhereTheMaskIsClear) {
    Image* mask = decoded(logo_mask_blob);
    Image* logo = decoded(logo_blob);
    int lit = 0;
    int mismatched = 0;
    for (int32_t i = 0; i < 320 * 64; ++i) {
        EXPECT_TRUE(mask->pixels[i] == 0 || mask->pixels[i] == 0xFFFFFF);
        lit += mask->pixels[i] != 0;
        mismatched += (mask->pixels[i] == 0) != (logo->pixels[i] == 0);
    }
    EXPECT_EQ(mismatched, 0);
    EXPECT_GT(lit, 320 * 64 / 4);  // bold letters
    img_free(&mask);
    img_free(&logo);
}

TEST(Assets, ScrollTextKeepsItsRules) {
    const std::string text = scroll_text;
    EXPECT_EQ(static_cast<int32_t>(text.size()), scroll_text_length);
    EXPECT_EQ(text.find_first_not_of(' '), 56u);
    EXPECT_EQ(text.size() - 1 - text.find_last_not_of(' '), 30u);
    EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 (),-./:@"),
              std::string::npos);
    EXPECT_NE(text.find("PRESS KEYS: ESC,Q: EXIT  SPACE: NEXT PART"), std::string::npos);
    EXPECT_NE(text.find("QUOR7706"), std::string::npos);
    EXPECT_NE(text.find("2026"), std::string::npos);
}

TEST(Assets, FontDrawsEveryCharacterOfTheScrollText) {
    Font* font = demo_font();
    Image* cell = img_new();
    img_resize(cell, 8, 8);
    // Code 65 comes from column 8, row 16 of the sheet, pixel for pixel.
    font_draw_char(font, 'A', 0, 0, cell);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(img_get_pixel(cell, x, y), img_get_pixel(font->image, 8 + x, 16 + y));
    const std::string text = scroll_text;
    for (char c : std::set<char>(text.begin(), text.end())) {
        img_clear(cell);
        font_draw_char(font, c, 0, 0, cell);
        int lit = 0;
        for (int32_t i = 0; i < 64; ++i)
            lit += cell->pixels[i] != 0;
        EXPECT_EQ(lit > 0, c != ' ') << "character '" << c << "'";
    }
    img_free(&cell);
    font_free(&font);
}
