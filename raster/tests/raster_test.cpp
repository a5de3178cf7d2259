#include "raster/raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// An image of the given size with every pixel set to colour.
Image* filled(int32_t width, int32_t height, uint32_t colour) {
    Image* image = img_new();
    img_resize(image, width, height);
    for (int32_t i = 0; i < width * height; ++i)
        image->pixels[i] = colour;
    return image;
}

// A raster holding the given colours at the given position.
Raster* make(const std::vector<uint32_t>& colours, int32_t position = 0) {
    Raster* raster = raster_new();
    raster_resize(raster, static_cast<int32_t>(colours.size()));
    for (size_t i = 0; i < colours.size(); ++i)
        raster->colours[i] = colours[i];
    raster->position = position;
    return raster;
}

std::vector<uint32_t> column(const Image* image, int32_t x) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < image->height; ++y)
        out.push_back(img_get_pixel(image, x, y));
    return out;
}

std::vector<uint32_t> row(const Image* image, int32_t y) {
    std::vector<uint32_t> out;
    for (int32_t x = 0; x < image->width; ++x)
        out.push_back(img_get_pixel(image, x, y));
    return out;
}

// Direct evaluation of the smoothing rule, one neighbour at a time.
std::vector<uint32_t> smooth_by_rule(const std::vector<uint32_t>& c, int64_t reach) {
    const int64_t n = static_cast<int64_t>(c.size());
    std::vector<uint32_t> out(c.size());
    for (int64_t i = 0; i < n; ++i) {
        uint32_t result = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            auto ch = [&](int64_t k) { return static_cast<int64_t>((c[k] >> shift) & 0xFF); };
            int64_t sum = 2 * ch(i);
            for (int64_t d = 1; d <= reach; ++d)
                sum += ch((i + d) % n) + ch(std::llabs(i - d) % n);
            result |= static_cast<uint32_t>(sum / (2 * reach + 2)) << shift;
        }
        out[i] = result;
    }
    return out;
}

std::string repeat_line(const char* line, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += line;
    return out;
}

}  // namespace

TEST(Raster, NewCloneEqualClear) {
    Raster* r = raster_new();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->count, 256);
    EXPECT_EQ(r->position, 0);
    for (int32_t i = 0; i < 256; ++i)
        EXPECT_EQ(r->colours[i], 0u);

    Image* image = filled(256, 256, 0x123456);
    raster_draw_rows(r, image);
    for (int32_t i = 0; i < 256 * 256; ++i)
        ASSERT_EQ(image->pixels[i], 0u);

    for (int32_t i = 0; i < 256; ++i)
        r->colours[i] = 0x010101u * static_cast<uint32_t>(i);
    r->position = 9;
    testing::internal::CaptureStdout();
    Raster* c = raster_clone(r);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->count, 256);
    EXPECT_EQ(c->position, 0);
    EXPECT_NE(c->colours, r->colours);
    EXPECT_EQ(raster_equal(r, c), 1);  // position is not compared
    c->colours[255] ^= 1;
    EXPECT_EQ(raster_equal(r, c), 0);
    Raster* empty1 = make({});
    Raster* empty2 = make({});
    EXPECT_EQ(raster_equal(empty1, empty2), 1);
    EXPECT_EQ(raster_equal(empty1, r), 0);
    Raster* empty_clone = raster_clone(empty1);
    ASSERT_NE(empty_clone, nullptr);
    EXPECT_EQ(empty_clone->count, 0);
    // Equal lists are a result, not a failure: nothing is printed.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    raster_clear(c);
    for (int32_t i = 0; i < 256; ++i)
        EXPECT_EQ(c->colours[i], 0u);
    EXPECT_EQ(c->count, 256);

    testing::internal::CaptureStdout();
    raster_resize(c, -1);  // refused, the list stays
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "RASTER error\n");
    EXPECT_EQ(c->count, 256);
    raster_resize(c, 3);
    EXPECT_EQ(c->count, 3);
    EXPECT_EQ(c->position, 0);

    raster_free(&r);
    EXPECT_EQ(r, nullptr);
    raster_free(&c);
    raster_free(&empty1);
    raster_free(&empty2);
    raster_free(&empty_clone);
    img_free(&image);
}

TEST(Raster, PaintingRepeatsShortListsAndCutsLongOnes) {
    Raster* r = make({0xA, 0xB, 0xC}, 1);
    Image* image = filled(4, 5, 0xFFFFFF);
    raster_draw_rows(r, image);
    const uint32_t expect_rows[] = {0xB, 0xC, 0xA, 0xB, 0xC};
    for (int32_t y = 0; y < 5; ++y)
        EXPECT_EQ(row(image, y), std::vector<uint32_t>(4, expect_rows[y]));
    EXPECT_EQ(r->position, 1);  // painting does not step

    raster_draw_columns(r, image);
    for (int32_t y = 0; y < 5; ++y)
        EXPECT_EQ(row(image, y), (std::vector<uint32_t>{0xB, 0xC, 0xA, 0xB}));

    // A longer list shows only its first entries from the position on.
    Raster* long_list = make({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 7);
    raster_draw_rows(long_list, image);
    EXPECT_EQ(column(image, 3), (std::vector<uint32_t>{7, 8, 9, 0, 1}));
    raster_draw_columns(long_list, image);
    EXPECT_EQ(row(image, 4), (std::vector<uint32_t>{7, 8, 9, 0}));

    // A position the caller set below 0 still picks colours inside the list.
    long_list->position = -1;
    raster_draw_rows(long_list, image);
    EXPECT_EQ(column(image, 0), (std::vector<uint32_t>{9, 0, 1, 2, 3}));
    long_list->position = INT32_MIN;  // -2147483648 = -214748365 * 10 + 2
    raster_draw_columns(long_list, image);
    EXPECT_EQ(row(image, 0), (std::vector<uint32_t>{2, 3, 4, 5}));

    // An empty list paints nothing and reports nothing.
    Raster* empty = make({});
    Image* before = img_clone(image);
    testing::internal::CaptureStdout();
    raster_draw_rows(empty, image);
    raster_draw_columns(empty, image);
    raster_blend_rows(empty, image, 128);
    raster_blend_columns(empty, image, 128);
    raster_fill_image(empty, image);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(img_equal(image, before), 1);

    raster_free(&r);
    raster_free(&long_list);
    raster_free(&empty);
    img_free(&image);
    img_free(&before);
}

TEST(Raster, StepsWrapBothWays) {
    Raster* r = make({1, 2, 3, 4}, 3);
    raster_step_forward(r);
    EXPECT_EQ(r->position, 0);
    raster_step_back(r);
    EXPECT_EQ(r->position, 3);
    raster_step_back(r);
    EXPECT_EQ(r->position, 2);
    raster_step_forward(r);
    EXPECT_EQ(r->position, 3);

    // Four steps each way come back to the start.
    for (int i = 0; i < 4; ++i)
        raster_step_forward(r);
    EXPECT_EQ(r->position, 3);
    for (int i = 0; i < 4; ++i)
        raster_step_back(r);
    EXPECT_EQ(r->position, 3);

    // Extreme positions set by the caller step without overflow.
    r->position = INT32_MAX;
    raster_step_forward(r);
    EXPECT_EQ(r->position, 0);
    r->position = INT32_MIN;
    raster_step_back(r);
    EXPECT_EQ(r->position, 3);

    // An empty list keeps position 0.
    raster_resize(r, 0);
    raster_step_back(r);
    EXPECT_EQ(r->position, 0);
    raster_step_forward(r);
    EXPECT_EQ(r->position, 0);
    raster_free(&r);
}

TEST(Raster, BlendArithmetic) {
    Image* image = filled(3, 2, 0x000000);
    img_blend_row(image, 0, 0xFFFFFF, 128);
    img_blend_row(image, 1, 0xFFFFFF, 0);
    EXPECT_EQ(row(image, 0), std::vector<uint32_t>(3, 0x7F7F7F));
    EXPECT_EQ(row(image, 1), std::vector<uint32_t>(3, 0x000000));
    img_blend_row(image, 1, 0xFFFFFF, 256);
    EXPECT_EQ(row(image, 1), std::vector<uint32_t>(3, 0xFFFFFF));

    // Channels stay apart; the top bytes of pixel and colour are dropped.
    // red (0x10*192 + 0xF0*64) / 256 = 72, green (0x20*192 + 0xE0*64) / 256 = 80,
    // blue (0x30*192 + 0xD0*64) / 256 = 88.
    img_put_pixel(image, 2, 0, 0xAB102030);
    img_blend_column(image, 2, 0xCDF0E0D0, 64);
    EXPECT_EQ(img_get_pixel(image, 2, 0), 0x00485058u);
    img_put_pixel(image, 0, 0, 0xFF123456);
    img_blend_column(image, 0, 0x00ABCDEF, 0);
    EXPECT_EQ(img_get_pixel(image, 0, 0), 0x00123456u);

    // Alpha outside 0 .. 256 is clamped.
    img_blend_column(image, 1, 0x0000FF, 1000);
    EXPECT_EQ(column(image, 1), std::vector<uint32_t>(2, 0x0000FF));
    img_blend_column(image, 1, 0xFF0000, -5);
    EXPECT_EQ(column(image, 1), std::vector<uint32_t>(2, 0x0000FF));

    // The raster blends use the same rule with the list's colours.
    Raster* r = make({0xFFFFFF, 0x000000}, 0);
    Image* rows = filled(2, 3, 0x000000);
    raster_blend_rows(r, rows, 128);
    EXPECT_EQ(column(rows, 1), (std::vector<uint32_t>{0x7F7F7F, 0, 0x7F7F7F}));
    Image* cols = filled(3, 2, 0xFFFFFF);
    r->position = 1;
    raster_blend_columns(r, cols, 128);
    EXPECT_EQ(row(cols, 1), (std::vector<uint32_t>{0x7F7F7F, 0xFFFFFF, 0x7F7F7F}));

    raster_free(&r);
    img_free(&image);
    img_free(&rows);
    img_free(&cols);
}

TEST(Raster, RowAndColumnFills) {
    Image* image = filled(4, 4, 0x111111);
    img_fill_row(image, 1, 0x00FF00);
    img_fill_column(image, 2, 0x0000FF);
    EXPECT_EQ(row(image, 1), (std::vector<uint32_t>{0x00FF00, 0x00FF00, 0x0000FF, 0x00FF00}));
    EXPECT_EQ(column(image, 2), std::vector<uint32_t>(4, 0x0000FF));
    EXPECT_EQ(row(image, 0), (std::vector<uint32_t>{0x111111, 0x111111, 0x0000FF, 0x111111}));

    // Rows and columns outside the image change nothing and are not errors;
    // a null image is an IMG error (shown while the switch is on).
    Image* before = img_clone(image);
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    img_fill_row(image, 4, 0);
    img_fill_row(image, -1, 0);
    img_fill_column(image, 4, 0);
    img_blend_row(image, 5, 0, 256);
    img_blend_column(image, -1, 0, 256);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(img_equal(image, before), 1);
    testing::internal::CaptureStdout();
    img_fill_row(nullptr, 0, 0);
    img_fill_column(nullptr, 0, 0);
    img_blend_row(nullptr, 0, 0, 0);
    img_blend_column(nullptr, 0, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), repeat_line("IMG error\n", 4));
    img_error_switch = 0;
    img_free(&image);
    img_free(&before);
}

TEST(Raster, SmoothReflectsAtZeroAndWrapsAtTheEnd) {
    Raster* r = make({0x000000, 0x000000, 0x000000, 0x0000FF});
    raster_smooth(r, 1);
    EXPECT_EQ(std::vector<uint32_t>(r->colours, r->colours + 4),
              (std::vector<uint32_t>{0, 0, 63, 127}));
    // The same on the red channel: channels are smoothed separately.
    Raster* red = make({0xFF000000, 0x000000, 0x000000, 0xFF0000});
    raster_smooth(red, 1);
    EXPECT_EQ(std::vector<uint32_t>(red->colours, red->colours + 4),
              (std::vector<uint32_t>{0, 0, 63u << 16, 127u << 16}));

    // A list of equal colours stays as it is; the position is kept.
    Raster* flat = make(std::vector<uint32_t>(7, 0x406080), 5);
    raster_smooth(flat, 2);
    EXPECT_EQ(std::vector<uint32_t>(flat->colours, flat->colours + 7),
              std::vector<uint32_t>(7, 0x406080));
    EXPECT_EQ(flat->position, 5);

    // Against the rule evaluated neighbour by neighbour: the demo's 256
    // colours at reach 2, a reach longer than the list, a one-colour list,
    // and a list longer than fits the stack copy.
    std::vector<uint32_t> colours;
    uint32_t seed = 12345;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 1103515245u + 12345u;
        colours.push_back(seed & 0xFFFFFF);
    }
    struct Case {
        size_t count;
        int32_t reach;
    };
    for (Case c : {Case{256, 2}, Case{5, 13}, Case{1, 3}, Case{2000, 2}, Case{6, 6}}) {
        std::vector<uint32_t> list(colours.begin(), colours.begin() + c.count);
        Raster* s = make(list);
        raster_smooth(s, c.reach);
        EXPECT_EQ(std::vector<uint32_t>(s->colours, s->colours + c.count),
                  smooth_by_rule(list, c.reach))
            << c.count << " colours, reach " << c.reach;
        raster_free(&s);
    }

    // The largest reach finishes at once; every result stays a colour.
    Raster* wide = make({0xFFFFFF, 0x000000, 0x808080});
    raster_smooth(wide, INT32_MAX);
    for (int i = 0; i < 3; ++i)
        EXPECT_LE(wide->colours[i], 0xFFFFFFu);

    // A reach below 1 is refused.
    testing::internal::CaptureStdout();
    raster_smooth(r, 0);
    raster_smooth(r, -4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), repeat_line("RASTER error\n", 2));
    EXPECT_EQ(r->colours[3], 127u);

    raster_free(&r);
    raster_free(&red);
    raster_free(&flat);
    raster_free(&wide);
}

TEST(Raster, SmoothAndStepWorkOnStaticRecords) {
    static uint32_t list[4] = {0, 0, 0, 255};
    Raster r = {4, 0, list};
    raster_smooth(&r, 1);
    EXPECT_EQ(list[3], 127u);
    raster_step_back(&r);
    EXPECT_EQ(r.position, 3);
    raster_clear(&r);
    EXPECT_EQ(list[2], 0u);
}

TEST(Raster, FillImageCopiesTheListIntoEveryRow) {
    Raster* r = make({1, 2, 3}, 2);  // the position is not used
    Image* image = filled(5, 3, 9);
    raster_fill_image(r, image);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(row(image, y), (std::vector<uint32_t>{1, 2, 3, 9, 9}));

    Raster* longer = make({4, 5, 6, 7, 8, 9, 10, 11});
    raster_fill_image(longer, image);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(row(image, y), (std::vector<uint32_t>{4, 5, 6, 7, 8}));
    raster_free(&r);
    raster_free(&longer);
    img_free(&image);
}

TEST(Raster, SaveAndLoadFiles) {
    const char* name = "raster_save_test.tmp";
    FILE* f = fopen(name, "w");
    fputs("old content", f);
    fclose(f);

    Raster* r = raster_new();
    testing::internal::CaptureStdout();
    EXPECT_EQ(raster_save(r, name), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    f = fopen(name, "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fgetc(f), EOF);  // emptied, nothing written
    fclose(f);

    Raster* loaded = raster_load(name);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->count, 0);
    EXPECT_EQ(loaded->position, 0);
    // The loaded raster is an ordinary empty list: no operation reports on it.
    Image* image = filled(2, 2, 5);
    testing::internal::CaptureStdout();
    raster_draw_rows(loaded, image);
    raster_smooth(loaded, 2);
    raster_step_forward(loaded);
    raster_clear(loaded);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(image->pixels[3], 5u);

    testing::internal::CaptureStdout();
    EXPECT_EQ(raster_save(loaded, name), 0);  // nothing to save
    EXPECT_EQ(raster_save(r, nullptr), 0);
    EXPECT_EQ(raster_save(r, "no-such-dir/raster.tmp"), 0);
    EXPECT_EQ(raster_load("no-such-file.tmp"), nullptr);
    EXPECT_EQ(raster_load(nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), repeat_line("RASTER error\n", 5));

    remove(name);
    raster_free(&r);
    raster_free(&loaded);
    img_free(&image);
}

TEST(Raster, EveryFailedCheckPrintsOneLine) {
    Raster* r = raster_new();
    Image* image = img_new();
    Raster no_list = {4, 0, nullptr};
    Image no_pixels = {0, 0, 4, 4, nullptr};
    Raster* null_ref = nullptr;

    testing::internal::CaptureStdout();
    raster_resize(nullptr, 4);
    EXPECT_EQ(raster_clone(nullptr), nullptr);
    EXPECT_EQ(raster_clone(&no_list), nullptr);
    raster_free(nullptr);
    raster_free(&null_ref);
    raster_clear(&no_list);
    EXPECT_EQ(raster_equal(r, nullptr), 0);
    EXPECT_EQ(raster_equal(&no_list, &no_list), 0);
    raster_smooth(&no_list, 2);
    raster_step_forward(nullptr);
    raster_step_back(&no_list);
    raster_draw_rows(r, nullptr);
    raster_draw_columns(&no_list, image);
    raster_blend_rows(r, &no_pixels, 128);
    raster_blend_columns(nullptr, image, 128);
    raster_fill_image(r, &no_pixels);
    raster_error();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), repeat_line("RASTER error\n", 17));
    EXPECT_EQ(no_list.position, 0);

    raster_free(&r);
    img_free(&image);
}
