// The recorder draws exactly what the running demo shows: the frames the
// demo's capture switch writes from its window match the recorded ones.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(RecordWindow, RecordedFramesAreTheFramesTheDemoShows) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X server";
    char name[] = "/tmp/quor7706-record-windowXXXXXX";
    const fs::path dir = mkdtemp(name);
    fs::create_directory(dir / "shown");
    const fs::path said = dir / "demo-stderr.txt";
    const pid_t demo = fork();
    if (demo == 0) {
        if (!freopen(said.c_str(), "w", stderr)) _exit(126);
        if (chdir((dir / "shown").c_str()) != 0) _exit(126);
        setenv("QUOR7706_CAPTURE", "200", 1);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
        execl(QUOR_BINARY, QUOR_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    // The 200th frame is written before it is shown; the 201st is not captured.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(dir / "shown/frame-00200.ppm") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(demo, SIGTERM);
    waitpid(demo, nullptr, 0);
    ASSERT_TRUE(fs::exists(dir / "shown/frame-00200.ppm"))
        << "the demo showed no 200 frames; it printed: " << read_file(said);

    const std::string record =
        std::string(QUOR_RECORD) + " --quiet --frames 200 -o " + (dir / "recorded/").string();
    ASSERT_EQ(system(record.c_str()), 0);
    for (int n = 1; n <= 200; ++n) {
        char frame[32];
        snprintf(frame, sizeof frame, "frame-%05d.ppm", n);
        const std::string shown = read_file(dir / "shown" / frame);
        ASSERT_EQ(shown.size(), 15u + 3 * 256 * 256) << frame;
        ASSERT_EQ(shown, read_file(dir / "recorded" / frame)) << frame;
    }
    fs::remove_all(dir);
}

}  // namespace
