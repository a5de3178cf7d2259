// Frame capture through the real display module, on SDL's dummy video driver
// (no X server needed), in a scratch directory.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "image/tests/image_test_util.h"
#include "platform/dpy.h"

namespace fs = std::filesystem;

TEST(Capture, NumberedFilesHoldTheFrames) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    char dir[] = "/tmp/capture_test_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const fs::path home = fs::current_path();
    fs::current_path(dir);
    Display* display = dpy_new();
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        dpy_free(&display);
        fs::current_path(home);
        fs::remove_all(dir);
    });
    ASSERT_NE(display, nullptr);
    // A frame whose top bytes are set: they are not written. Each capture
    // holds the same bytes as the frame saved as a PPM picture.
    Keep keep;
    Image* frame = keep(sized(256, 256, Px(256 * 256, 0xFF123456)));
    ASSERT_EQ(img_save_ppm(frame, "saved.ppm"), 1);
    const std::string ppm = slurp("saved.ppm");

    // Numbering starts at 1 in a fresh process.
    ASSERT_EQ(dpy_state.capture_count, 0);
    dpy_present(display, frame);  // capture off: nothing written
    dpy_state.capture = 1;
    dpy_present(display, frame);
    EXPECT_EQ(dpy_state.capture_count, 1);
    EXPECT_STREQ(dpy_state.capture_name, "frame-00001.ppm");
    EXPECT_EQ(slurp("frame-00001.ppm"), ppm);
    // A present that fails its checks captures nothing, and the other two ways
    // of presenting never capture.
    dpy_present(display, keep(sized(255, 256)));
    dpy_present(display, nullptr);
    dpy_present_converted(display, frame);
    dpy_present_direct(display, frame);
    EXPECT_EQ(dpy_state.capture_count, 1);

    // dpy_new switches capture off but keeps the count.
    dpy_free(&display);
    display = dpy_new();
    EXPECT_EQ(std::pair(dpy_state.capture, dpy_state.capture_count), std::pair(uint8_t(0), 1));
    // A directory in the way: the write fails, is reported, and its number is gone.
    ASSERT_EQ(mkdir("frame-00002.ppm", 0700), 0);
    dpy_state.capture = 1;
    EXPECT_EQ(errors(1), reported([&] { dpy_present(display, frame); }));
    EXPECT_EQ(dpy_state.capture_count, 2);
    dpy_present(display, frame);
    EXPECT_EQ(slurp("frame-00003.ppm"), ppm);

    // Two frames asked for: two captured, then capture is off. Failed presents
    // do not use up the frames asked for.
    setenv("QUOR7706_CAPTURE", "2", 1);
    dpy_capture_from_environment();
    for (const Image* image : {frame, static_cast<Image*>(nullptr), frame, frame, frame})
        dpy_present(display, image);
    EXPECT_EQ(std::pair(dpy_state.capture, dpy_state.capture_count), std::pair(uint8_t(0), 5));
    EXPECT_TRUE(fs::exists("frame-00005.ppm"));
    // Anything but a positive decimal number leaves capture off; a huge count
    // is taken as "very many", not as off.
    for (const char* value : {"0", "", "-3", "2x", "unset", "99999999999999999999"}) {
        dpy_state.capture = value[0] != '9';  // the opposite of what is expected
        setenv("QUOR7706_CAPTURE", value, 1);
        if (std::string(value) == "unset") unsetenv("QUOR7706_CAPTURE");
        dpy_capture_from_environment();
        EXPECT_EQ(dpy_state.capture, value[0] == '9') << value;
    }
    unsetenv("QUOR7706_CAPTURE");
}
