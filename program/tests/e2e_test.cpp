// The real quor7706 binary under the test's X server, driven by real key
// events; what it shows is read back from the window.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/x11_util.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// What the window shows, classified by the bars every part draws.
enum class Look { kBlackish, kColumns, kRows, kOther };

Look classify(const std::vector<uint32_t>& p) {
    int lit = 0, column_runs = 0, row_runs = 0;
    for (uint32_t v : p)
        lit += (v & 0xF0F0F0) != 0;
    if (lit < 256 * 256 / 4) return Look::kBlackish;
    for (int x = 0; x < 256; ++x) {
        bool same = true;
        for (int y = 1; y < 256 && same; ++y)
            same = p[y * 256 + x] == p[x];
        column_runs += same;
    }
    for (int y = 0; y < 256; ++y) {
        bool same = true;
        for (int x = 1; x < 256 && same; ++x)
            same = p[y * 256 + x] == p[y * 256];
        row_runs += same;
    }
    if (column_runs > 250 && row_runs < 10) return Look::kColumns;
    if (row_runs > 250 && column_runs < 10) return Look::kRows;
    return Look::kOther;
}

class Demo {
public:
    // Starts the binary with the given changes to the environment.
    explicit Demo(std::vector<std::string> env_changes, const std::string& directory = "") {
        char stderr_template[] = "/tmp/quor7706-stderr-XXXXXX";
        const int fd = mkstemp(stderr_template);
        stderr_path_ = stderr_template;
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            bool replaced = false;
            for (const auto& change : env_changes)
                replaced |=
                    entry.substr(0, entry.find('=') + 1) == change.substr(0, change.find('=') + 1);
            if (!replaced) env.push_back(entry);
        }
        for (const auto& change : env_changes)
            if (change.back() != '=') env.push_back(change);  // "NAME=" removes NAME
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fd, 2);
        if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        char* argv[] = {const_cast<char*>(QUOR_BINARY), nullptr};
        if (posix_spawn(&pid_, QUOR_BINARY, &actions, nullptr, argv, envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fd);
    }
    ~Demo() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        unlink(stderr_path_.c_str());
    }

    // Waits up to limit for the process to end; its wait status, or -1.
    int wait_exit(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return status;
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    std::string error_output() const {
        std::ifstream in(stderr_path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    bool running() const { return pid_ > 0 && !exited_; }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    std::string stderr_path_;
};

// Polls until the window shows the wanted look; false after limit.
bool wait_for_look(Look wanted, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    std::vector<uint32_t> pixels;
    while (std::chrono::steady_clock::now() < end) {
        if (x11_grab("QUOR7706", 256, 256, &pixels) && classify(pixels) == wanted) return true;
        std::this_thread::sleep_for(40ms);
    }
    return false;
}

std::vector<std::string> audio_to_disk() {
    return {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null", "SDL_DISKAUDIODELAY=20"};
}

// Presses and releases a key the way a person does: held for a tenth of a
// second, so that at least one frame's poll sees it down.
bool press(const std::string& key) {
    return x11_xdotool("QUOR7706", "keydown " + key + " sleep 0.1 keyup " + key);
}

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X server"; }
};

TEST_F(E2eTest, SpaceWalksTheCycleAndQuitFadesOutWithStatusOne) {
    Demo demo(audio_to_disk());
    ASSERT_TRUE(demo.running());
    ASSERT_TRUE(wait_for_look(Look::kColumns, 10s)) << "the first part did not show";

    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(wait_for_look(Look::kRows, 5s)) << "SPACE did not start the second part";
    // Keys without a meaning change nothing.
    ASSERT_TRUE(press("1") && press("x") && press("4"));
    EXPECT_TRUE(wait_for_look(Look::kRows, 1s));
    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(wait_for_look(Look::kBlackish, 5s)) << "the second part did not fade out";
    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(wait_for_look(Look::kColumns, 5s)) << "SPACE in the third part: first again";

    // Closing the window has no effect.
    ASSERT_TRUE(x11_request_close("QUOR7706"));
    EXPECT_EQ(demo.wait_exit(500ms), -1);

    ASSERT_TRUE(press("q"));
    const int status = demo.wait_exit(10s);
    ASSERT_NE(status, -1) << "still running after q";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

// Reads a captured frame: a P6 file of 256 x 256 pixels as 0x00RRGGBB words.
std::vector<uint32_t> read_frame(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string header(15, '\0');
    in.read(header.data(), 15);
    if (!in || header != "P6\n256 256\n255\n") return {};
    std::vector<uint32_t> pixels(256 * 256);
    for (auto& p : pixels) {
        unsigned char rgb[3];
        if (!in.read(reinterpret_cast<char*>(rgb), 3)) return {};
        p = (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
    return pixels;
}

uint32_t brightest_channel(const std::vector<uint32_t>& pixels) {
    uint32_t top = 0;
    for (uint32_t p : pixels)
        top = std::max({top, p >> 16 & 255, p >> 8 & 255, p & 255});
    return top;
}

TEST_F(E2eTest, CapturedFramesShowTheOpeningAndClosingFades) {
    char dir_template[] = "/tmp/quor7706-frames-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    {
        auto env = audio_to_disk();
        env.push_back("QUOR7706_CAPTURE=100000");
        Demo demo(env, dir);
        ASSERT_TRUE(wait_for_look(Look::kColumns, 10s));
        ASSERT_TRUE(press("q"));
        const int status = demo.wait_exit(20s);
        ASSERT_TRUE(status != -1 && WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
    }
    auto path = [&](int n) {
        char name[32];
        snprintf(name, sizeof name, "/frame-%05d.ppm", n);
        return dir + name;
    };
    auto frame = [&](int n) { return read_frame(path(n)); };
    int count = 0;
    while (access(path(count + 1).c_str(), F_OK) == 0)
        ++count;
    ASSERT_GT(count, 64 + 64);
    // The first part opens with 64 fade steps of a black screen, then its bars.
    for (int n = 1; n <= 64; ++n)
        EXPECT_EQ(brightest_channel(frame(n)), 0u) << n;
    EXPECT_EQ(classify(frame(65)), Look::kColumns);
    // The shutdown fade: 64 frames, each channel 4 darker than the one before,
    // ending black.
    uint32_t previous = brightest_channel(frame(count - 64));
    for (int n = count - 63; n <= count; ++n) {
        const uint32_t now = brightest_channel(frame(n));
        EXPECT_EQ(now, previous >= 4 ? previous - 4 : 0) << n;
        previous = now;
    }
    EXPECT_EQ(previous, 0u);
    std::filesystem::remove_all(dir);
}

TEST_F(E2eTest, EscapeAndCapitalQQuitToo) {
    for (const char* key : {"Escape", "shift+q"}) {
        Demo demo(audio_to_disk());
        ASSERT_TRUE(wait_for_look(Look::kColumns, 10s));
        ASSERT_TRUE(press(key));
        const int status = demo.wait_exit(10s);
        ASSERT_NE(status, -1) << key << " did not end the demo";
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
    }
}

TEST_F(E2eTest, WithoutADisplayItSaysSoAndExits) {
    Demo demo({"DISPLAY=", "SDL_VIDEODRIVER="});
    const int status = demo.wait_exit(10s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_NE(WEXITSTATUS(status), 0);
    const std::string message = demo.error_output();
    EXPECT_NE(message.find("no display"), std::string::npos) << message;
    EXPECT_NE(message.find("Xvfb"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST_F(E2eTest, AnUnreachableDisplayIsReportedNotCrashedOn) {
    Demo demo({"DISPLAY=:4711"});
    const int status = demo.wait_exit(10s);
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(demo.error_output().find("cannot open the 256 x 256 window"), std::string::npos)
        << demo.error_output();
}

TEST_F(E2eTest, RunsSilentlyWithoutAnAudioDevice) {
    Demo demo({"SDL_AUDIODRIVER=nosuchdriver"});
    ASSERT_TRUE(wait_for_look(Look::kColumns, 10s));
    ASSERT_TRUE(press("q"));
    const int status = demo.wait_exit(10s);
    ASSERT_TRUE(status != -1 && WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
