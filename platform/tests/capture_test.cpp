// Frame capture through the real display module, on SDL's dummy video driver
// (no X server needed), in a scratch directory.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "image/tests/image_test_util.h"
#include "platform/dpy.h"

namespace {

namespace fs = std::filesystem;

std::string name_of(int32_t n) {
    char buf[32];
    snprintf(buf, sizeof buf, "frame-%05d.ppm", n);
    return buf;
}

// Runs every test in a fresh scratch directory with a dummy-driver display
// and a 256 x 256 frame whose top bytes are set (they are not written).
class Capture : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        char dir[] = "/tmp/capture_test_XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        fs::current_path(scratch = dir);
        ASSERT_NE(display = dpy_new(), nullptr);
        for (int32_t i = 0; i < 256 * 256; ++i)
            frame->pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
    }
    void TearDown() override {
        dpy_state.capture = 0;
        dpy_free(&display);
        fs::current_path(home);
        fs::remove_all(scratch);
    }
    // The bytes the frame must be written as.
    std::string ppm() {
        std::string s = "P6\n256 256\n255\n";
        for (int32_t i = 0; i < 256 * 256; ++i)
            for (int shift : {16, 8, 0})
                s += static_cast<char>(frame->pixels[i] >> shift);
        return s;
    }
    Keep keep;
    Display* display = nullptr;
    Image* frame = keep(sized(256, 256));
    fs::path home = fs::current_path(), scratch;
};

}  // namespace

TEST_F(Capture, NumberedFilesHoldTheFrames) {
    const int32_t start = dpy_state.capture_count;
    dpy_present(display, frame);  // capture off: nothing written
    EXPECT_EQ(dpy_state.capture_count, start);
    dpy_state.capture = 1;
    for (int i = 1; i <= 3; ++i) {
        frame->pixels[0] = static_cast<uint32_t>(i);
        dpy_present(display, frame);
        EXPECT_EQ(std::pair(dpy_state.capture_count, std::string(dpy_state.capture_name)),
                  std::pair(start + i, name_of(start + i)));
        EXPECT_EQ(slurp(name_of(start + i)), ppm()) << i;
    }
    // A present that fails its checks captures nothing, and the other two ways
    // of presenting never capture.
    dpy_present(display, keep(sized(255, 256)));
    dpy_present(display, nullptr);
    dpy_present_converted(display, frame);
    dpy_present_direct(display, frame);
    EXPECT_EQ(dpy_state.capture_count, start + 3);
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);

    // dpy_new switches capture off but keeps the count.
    dpy_free(&display);
    display = dpy_new();
    EXPECT_EQ(std::pair(dpy_state.capture, dpy_state.capture_count),
              std::pair(uint8_t(0), start + 3));
    // A directory in the way: the write fails, is reported, and its number is gone.
    dpy_state.capture = 1;
    ASSERT_EQ(mkdir(name_of(start + 4).c_str(), 0700), 0);
    EXPECT_EQ(reported([&] { dpy_present(display, frame); }), errors(1));
    EXPECT_EQ(dpy_state.capture_count, start + 4);
    dpy_present(display, frame);
    EXPECT_EQ(slurp(name_of(start + 5)), ppm());
    // Past five digits the number is written in full.
    dpy_state.capture_count = 99999;
    dpy_present(display, frame);
    EXPECT_STREQ(dpy_state.capture_name, "frame-100000.ppm");
    EXPECT_TRUE(fs::exists("frame-100000.ppm"));
}

TEST_F(Capture, EnvironmentSwitchesCaptureForSomeFrames) {
    // Two frames asked for: two captured, then capture is off. Failed presents
    // do not use up the frames asked for.
    const int32_t start = dpy_state.capture_count;
    setenv("QUOR7706_CAPTURE", "2", 1);
    dpy_capture_from_environment();
    for (const Image* image : {frame, static_cast<Image*>(nullptr), frame, frame, frame})
        dpy_present(display, image);
    EXPECT_EQ(dpy_state.capture_count, start + 2);
    EXPECT_TRUE(fs::exists(name_of(start + 2)));
    EXPECT_EQ(dpy_state.capture, 0);

    // Anything but a positive decimal number leaves capture off; a huge count
    // is taken as "very many", not as off.
    for (const char* value :
         {"0", "", "000", "-3", "2x", " 2", "abc", "+5", "unset", "99999999999999999999"}) {
        dpy_state.capture = value[0] != '9';  // the opposite of what is expected
        setenv("QUOR7706_CAPTURE", value, 1);
        if (std::string(value) == "unset") unsetenv("QUOR7706_CAPTURE");
        dpy_capture_from_environment();
        EXPECT_EQ(dpy_state.capture, value[0] == '9') << value;
    }
    unsetenv("QUOR7706_CAPTURE");
}
