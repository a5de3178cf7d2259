// Frame capture through the real display module, on SDL's dummy video driver
// (no X server needed), in a scratch directory.
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
#include "platform/dpy.h"

namespace {

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

std::string name_of(int32_t n) {
    char buf[32];
    snprintf(buf, sizeof buf, "frame-%05d.ppm", n);
    return buf;
}

// The PPM bytes a 256 x 256 frame must be written as.
std::string ppm_of(const Image* image) {
    std::string s = "P6\n256 256\n255\n";
    for (int32_t i = 0; i < 256 * 256; ++i) {
        const uint32_t p = image->pixels[i];
        s += static_cast<char>(p >> 16);
        s += static_cast<char>(p >> 8);
        s += static_cast<char>(p);
    }
    return s;
}

// Runs every test in a fresh scratch directory with a dummy-driver display.
class Capture : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        char dir[] = "/tmp/capture_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        scratch = dir;
        ASSERT_NE(getcwd(home, sizeof home), nullptr);
        ASSERT_EQ(chdir(dir), 0);
        display = dpy_new();
        ASSERT_NE(display, nullptr);
        frame = img_new();
        img_resize(frame, 256, 256);
        for (int32_t i = 0; i < 256 * 256; ++i)
            frame->pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    }
    void TearDown() override {
        dpy_state.capture = 0;
        img_free(&frame);
        dpy_free(&display);
        ASSERT_EQ(chdir(home), 0);
        const std::string cmd = "rm -rf '" + scratch + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
    }
    Display* display = nullptr;
    Image* frame = nullptr;
    std::string scratch;
    char home[4096] = {};
};

}  // namespace

TEST_F(Capture, NumberedFilesHoldTheFrames) {
    const int32_t start = dpy_state.capture_count;
    dpy_present(display, frame);  // capture off: nothing written
    EXPECT_EQ(dpy_state.capture_count, start);
    EXPECT_FALSE(exists(name_of(start + 1)));

    dpy_state.capture = 1;
    for (int i = 1; i <= 3; ++i) {
        frame->pixels[0] = static_cast<uint32_t>(i);
        dpy_present(display, frame);
        EXPECT_EQ(dpy_state.capture_count, start + i);
        EXPECT_EQ(std::string(dpy_state.capture_name), name_of(start + i));
        EXPECT_EQ(slurp(name_of(start + i)), ppm_of(frame)) << i;
    }

    // A present that fails its checks captures nothing and keeps the count.
    Image* narrow = img_new();
    img_resize(narrow, 255, 256);
    dpy_present(display, narrow);
    dpy_present(display, nullptr);
    img_free(&narrow);
    EXPECT_EQ(dpy_state.capture_count, start + 3);
    EXPECT_FALSE(exists(name_of(start + 4)));

    // The other two ways of presenting never capture.
    dpy_present_converted(display, frame);
    dpy_present_direct(display, frame);
    EXPECT_EQ(dpy_state.capture_count, start + 3);
}

TEST_F(Capture, NumberingCarriesOnAndFailedWritesCostTheirNumber) {
    // dpy_new switches capture off but keeps the count.
    dpy_state.capture = 1;
    dpy_present(display, frame);
    const int32_t first = dpy_state.capture_count;
    dpy_free(&display);
    display = dpy_new();
    EXPECT_EQ(dpy_state.capture, 0);
    EXPECT_EQ(dpy_state.capture_count, first);
    dpy_state.capture = 1;
    dpy_present(display, frame);
    EXPECT_TRUE(exists(name_of(first + 1)));

    // A directory in the way: the write fails, is reported, and its number is gone.
    ASSERT_EQ(mkdir(name_of(first + 2).c_str(), 0700), 0);
    img_error_switch = 1;
    testing::internal::CaptureStdout();
    dpy_present(display, frame);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\n");
    img_error_switch = 0;
    EXPECT_EQ(dpy_state.capture_count, first + 2);
    dpy_present(display, frame);
    EXPECT_EQ(slurp(name_of(first + 3)), ppm_of(frame));

    // Past five digits the number is written in full.
    dpy_state.capture_count = 99999;
    dpy_present(display, frame);
    EXPECT_STREQ(dpy_state.capture_name, "frame-100000.ppm");
    EXPECT_TRUE(exists("frame-100000.ppm"));
}

TEST_F(Capture, EnvironmentSwitchesCaptureForSomeFrames) {
    setenv("QUOR7706_CAPTURE", "2", 1);
    dpy_capture_from_environment();
    EXPECT_EQ(dpy_state.capture, 1);
    const int32_t start = dpy_state.capture_count;
    for (int i = 0; i < 4; ++i)
        dpy_present(display, frame);
    EXPECT_EQ(dpy_state.capture_count, start + 2);
    EXPECT_TRUE(exists(name_of(start + 1)));
    EXPECT_TRUE(exists(name_of(start + 2)));
    EXPECT_FALSE(exists(name_of(start + 3)));
    EXPECT_EQ(dpy_state.capture, 0);

    // Failed presents do not use up the frames asked for.
    setenv("QUOR7706_CAPTURE", "1", 1);
    dpy_capture_from_environment();
    dpy_present(display, nullptr);
    EXPECT_EQ(dpy_state.capture, 1);
    dpy_present(display, frame);
    EXPECT_EQ(dpy_state.capture, 0);
    EXPECT_EQ(dpy_state.capture_count, start + 3);

    for (const char* off : {"0", "", "000", "-3", "2x", " 2", "abc", "+5"}) {
        dpy_state.capture = 1;
        setenv("QUOR7706_CAPTURE", off, 1);
        dpy_capture_from_environment();
        EXPECT_EQ(dpy_state.capture, 0) << off;
    }
    dpy_state.capture = 1;
    unsetenv("QUOR7706_CAPTURE");
    dpy_capture_from_environment();
    EXPECT_EQ(dpy_state.capture, 0);

    // A huge count is taken as "very many", not as off.
    setenv("QUOR7706_CAPTURE", "99999999999999999999", 1);
    dpy_capture_from_environment();
    EXPECT_EQ(dpy_state.capture, 1);
    unsetenv("QUOR7706_CAPTURE");
}
