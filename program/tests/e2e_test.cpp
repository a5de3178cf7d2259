// The real quor7706 binary under the test's X server, driven by real key
// events; what it shows is read back from the window or from recorded frames.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/tests/x11_util.h"

namespace {

using namespace std::chrono_literals;
using Pixels = std::vector<uint32_t>;

// What the window shows, told apart by what each part draws.
enum class Look { kBlack, kPictures, kBars, kTiles, kLogo, kRotor, kOther };

Look classify(const Pixels& p) {
    int across = 0;  // horizontally adjacent pixels that are equal
    int down = 0;    // vertically adjacent pixels that are equal
    int dark = 0;    // every channel below 16
    int faded = 0;   // brightest channel 16 .. 95: a fading trail
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const uint32_t v = p[y * 256 + x];
            if (x > 0 && v == p[y * 256 + x - 1]) ++across;
            if (y > 0 && v == p[(y - 1) * 256 + x]) ++down;
            const uint32_t top = std::max({v >> 16 & 255, v >> 8 & 255, v & 255});
            if (top < 16) ++dark;
            if (top >= 16 && top < 96) ++faded;
        }
    }
    int uniform_columns = 0;
    for (int x = 0; x < 256; ++x) {
        bool same = true;
        for (int y = 1; y < 256; ++y)
            same = same && p[y * 256 + x] == p[x];
        uniform_columns += same;
    }
    // Rows of the logo at the bottom of the tile part are not one colour.
    int busy_bottom_rows = 0;
    for (int y = 200; y <= 250; ++y) {
        bool same = true;
        for (int x = 1; x < 256; ++x)
            same = same && p[y * 256 + x] == p[y * 256];
        busy_bottom_rows += !same;
    }
    const double pairs = 256.0 * 255.0;
    if (dark > 65000) return Look::kBlack;
    if (uniform_columns > 250) return Look::kBars;
    // The logo part is mostly dark; the stretched rotor logo covers over half the screen.
    if (dark > 0.55 * 65536 && faded > 500) return Look::kLogo;
    if (dark < 0.5 * 65536 && down > 0.85 * pairs) return Look::kRotor;
    if (across > 0.6 * pairs && down < 0.3 * pairs && busy_bottom_rows >= 40) return Look::kTiles;
    if (dark < 0.3 * 65536 && across < 0.5 * pairs && down < 0.55 * pairs) return Look::kPictures;
    return Look::kOther;
}

// The demo as a child process: "NAME=value" sets a variable, "NAME=" removes it.
class Demo {
public:
    explicit Demo(const std::vector<std::string>& env, const std::string& dir = "") {
        char path[] = "/tmp/quor7706-stderr-XXXXXX";
        const int fd = mkstemp(path);
        stderr_path_ = path;
        pid_ = fork();
        if (pid_ == 0) {
            for (const auto& e : env) {
                const std::string name = e.substr(0, e.find('='));
                if (e.back() == '=')
                    unsetenv(name.c_str());
                else
                    setenv(name.c_str(), e.c_str() + name.size() + 1, 1);
            }
            if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(127);
            dup2(fd, 2);
            execl(QUOR_BINARY, QUOR_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fd);
    }
    ~Demo() {
        if (status_ == -1) kill(pid_, SIGKILL), waitpid(pid_, nullptr, 0);
        unlink(stderr_path_.c_str());
    }
    // The exit code once the process has ended within limit; -1 if it has
    // not, -2 if a signal ended it.
    int exit_code(std::chrono::milliseconds limit) {
        for (auto end = std::chrono::steady_clock::now() + limit;
             status_ == -1 && std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(20ms))
            if (waitpid(pid_, &status_, WNOHANG) != pid_) status_ = -1;
        if (status_ == -1) return -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -2;
    }
    std::string error_output() const {
        std::stringstream s;
        s << std::ifstream(stderr_path_).rdbuf();
        return s.str();
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
    std::string stderr_path_;
};

Look grab_look() {
    Pixels p;
    return x11_grab("QUOR7706", 256, 256, &p) ? classify(p) : Look::kOther;
}

bool shows(Look wanted, std::chrono::milliseconds limit) {
    Pixels p;
    for (auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(40ms)) {
        if (x11_grab("QUOR7706", 256, 256, &p) && classify(p) == wanted) return true;
    }
    return false;
}

// Passes once the window shows the first part, within 10 s; otherwise fails
// with what the demo printed (for a window that did not open, SDL's reason).
testing::AssertionResult started(const Demo& demo) {
    if (shows(Look::kPictures, 10s)) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "the first part did not show; the demo printed: " << demo.error_output();
}

// Held for a tenth of a second, as a person presses a key, so that a frame's
// poll sees it down (a press and release between two polls is lost).
bool press(const std::string& key) {
    return x11_xdotool("QUOR7706", "keydown " + key + " sleep 0.1 keyup " + key);
}

const std::vector<std::string> kDiskAudio = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null"};

class E2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X server"; }
};

TEST_F(E2eTest, SpaceWalksTheCycleAndQuitEndsWithStatusOne) {
    Demo demo(kDiskAudio);
    ASSERT_TRUE(started(demo));
    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(shows(Look::kTiles, 5s)) << "SPACE did not start the second part";
    ASSERT_TRUE(press("1"));  // keys without a meaning
    ASSERT_TRUE(press("x"));
    EXPECT_TRUE(shows(Look::kTiles, 1s));
    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(shows(Look::kLogo, 5s)) << "the third part did not show";
    ASSERT_TRUE(press("space"));
    EXPECT_TRUE(shows(Look::kPictures, 5s)) << "SPACE in the third part: the first again";
    ASSERT_TRUE(x11_request_close("QUOR7706"));
    EXPECT_EQ(demo.exit_code(500ms), -1) << "closing the window must have no effect";
    ASSERT_TRUE(press("q"));
    EXPECT_EQ(demo.exit_code(10s), 1);
}

TEST_F(E2eTest, ThreeHidesThePicturesOverTheColourBars) {
    Demo demo(kDiskAudio);
    ASSERT_TRUE(started(demo));
    ASSERT_TRUE(press("3"));
    EXPECT_TRUE(shows(Look::kBars, 2s)) << "the bars alone should fill the screen";
    ASSERT_TRUE(press("7"));
    EXPECT_TRUE(shows(Look::kPictures, 2s));
    ASSERT_TRUE(press("Escape"));
    EXPECT_EQ(demo.exit_code(10s), 1);
}

// The lit pixels of the text line at the top: those that differ from their
// row's bar colour, the row's most common colour (no tile reaches row 7).
std::vector<bool> text_line(const Pixels& p) {
    std::vector<bool> lit;
    for (int y = 0; y < 8; ++y) {
        std::map<uint32_t, int> counts;
        for (int x = 0; x < 256; ++x)
            ++counts[p[y * 256 + x]];
        const uint32_t bar = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                                 return a.second < b.second;
                             })->first;
        for (int x = 0; x < 256; ++x)
            lit.push_back(p[y * 256 + x] != bar);
    }
    return lit;
}

TEST_F(E2eTest, UStopsTheScrollTextAndPStartsItAgain) {
    Demo demo(kDiskAudio);
    ASSERT_TRUE(started(demo));
    ASSERT_TRUE(press("p"));  // the fastest speed, so the text soon enters the line
    ASSERT_TRUE(press("space"));
    ASSERT_TRUE(shows(Look::kTiles, 5s));
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(press("u"));
    Pixels first;
    Pixels second;
    ASSERT_TRUE(x11_grab("QUOR7706", 256, 256, &first));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(x11_grab("QUOR7706", 256, 256, &second));
    EXPECT_EQ(text_line(first), text_line(second)) << "u should stop the text";
    ASSERT_TRUE(press("p"));
    std::this_thread::sleep_for(400ms);
    ASSERT_TRUE(x11_grab("QUOR7706", 256, 256, &second));
    EXPECT_NE(text_line(first), text_line(second)) << "p should move it again";
    ASSERT_TRUE(press("q"));
    EXPECT_EQ(demo.exit_code(10s), 1);
}

// SPACE, then a pause: the fades between parts read no keys.
bool next_part() {
    const bool sent = press("space");
    std::this_thread::sleep_for(1500ms);
    return sent;
}

TEST_F(E2eTest, EscapeOrCapitalQQuitsFromEveryPart) {
    const Look parts[] = {Look::kPictures, Look::kTiles, Look::kLogo};
    for (int part = 0; part < 3; ++part) {
        Demo demo(kDiskAudio);
        ASSERT_TRUE(started(demo));
        for (int step = 0; step < part; ++step) {
            ASSERT_TRUE(next_part());
            ASSERT_TRUE(shows(parts[step + 1], 5s))
                << "part " << step + 2 << ", look " << static_cast<int>(grab_look());
        }
        ASSERT_TRUE(press(part == 0 ? "shift+q" : "Escape"));
        EXPECT_EQ(demo.exit_code(10s), 1) << "part " << part + 1;
    }
}

TEST_F(E2eTest, TheAudioDriverIsHandedTheMusic) {
    char path[] = "/tmp/quor7706-audio-XXXXXX";
    close(mkstemp(path));
    {
        Demo demo({"SDL_AUDIODRIVER=disk", std::string("SDL_DISKAUDIOFILE=") + path});
        ASSERT_TRUE(started(demo));
        std::this_thread::sleep_for(7s);  // the first change comes about 3 s into the part
        ASSERT_TRUE(press("q"));
        EXPECT_EQ(demo.exit_code(10s), 1);
    }
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    unlink(path);
    ASSERT_GT(bytes.size(), 44100u * 2);
    int loud = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) |
                                               static_cast<uint8_t>(bytes[i + 1]) << 8);
        loud += v > 256 || v < -256;
    }
    EXPECT_GT(loud, 4410) << "a tenth of a second of music at least";
}

// A recorded frame (P6, 256 x 256) as 0x00RRGGBB words; empty if unreadable.
Pixels read_frame(const std::string& dir, int n) {
    char name[32];
    snprintf(name, sizeof name, "/frame-%05d.ppm", n);
    std::ifstream in(dir + name, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    if (bytes.size() != 15 + 3 * 65536 || bytes.compare(0, 15, "P6\n256 256\n255\n")) return {};
    Pixels p(65536);
    for (size_t i = 0; i < p.size(); ++i) {
        const auto* rgb = reinterpret_cast<const uint8_t*>(bytes.data() + 15 + 3 * i);
        p[i] = (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    }
    return p;
}

// QUOR7706_ROTOR puts the unpaced rotor part after the third; the recorded
// frames show it, however fast it runs.
TEST_F(E2eTest, TheRotorFollowsTheThirdPartWhenAsked) {
    char dir_template[] = "/tmp/quor7706-rotor-XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    {
        std::vector<std::string> env = kDiskAudio;
        env.push_back("QUOR7706_ROTOR=1");
        env.push_back("QUOR7706_CAPTURE=2500");
        Demo demo(env, dir);
        ASSERT_TRUE(started(demo));
        ASSERT_TRUE(next_part());
        ASSERT_TRUE(shows(Look::kTiles, 5s));
        ASSERT_TRUE(next_part());
        ASSERT_TRUE(shows(Look::kLogo, 5s));
        ASSERT_TRUE(press("space"));
        ASSERT_TRUE(shows(Look::kPictures, 60s)) << "the cycle did not go on after the rotor";
        ASSERT_TRUE(press("q"));
        EXPECT_EQ(demo.exit_code(20s), 1);
    }
    int rotor_frames = 0;
    for (int n = 1; n <= 2500; ++n) {
        const Pixels frame = read_frame(dir, n);
        if (frame.empty()) break;
        rotor_frames += classify(frame) == Look::kRotor;
    }
    EXPECT_GT(rotor_frames, 900) << "1001 rotor frames, the first few still fading in";
    std::filesystem::remove_all(dir);
}

TEST_F(E2eTest, NoWindowMeansOneClearLineAndAnErrorExit) {
    Demo headless({"DISPLAY=", "SDL_VIDEODRIVER="});
    EXPECT_EQ(headless.exit_code(10s), 2);
    const std::string line = headless.error_output();
    EXPECT_NE(line.find("no display"), std::string::npos) << line;
    EXPECT_NE(line.find("xvfb-run"), std::string::npos) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;

    Demo unreachable({"DISPLAY=:4711"});
    EXPECT_EQ(unreachable.exit_code(10s), 2);
    EXPECT_NE(unreachable.error_output().find("cannot open the 256 x 256 window"),
              std::string::npos);
}

TEST_F(E2eTest, RunsSilentlyWithoutAnAudioDevice) {
    Demo demo({"SDL_AUDIODRIVER=nosuchdriver"});
    ASSERT_TRUE(started(demo));
    ASSERT_TRUE(press("q"));
    EXPECT_EQ(demo.exit_code(10s), 1);
}

// QUOR7706_SCALE=3 shows every frame pixel as a 3 x 3 block in a 768 x 768
// window; a value out of range says so in one line and keeps 256 x 256.
TEST_F(E2eTest, TheScaleSwitchBlowsTheFrameUp) {
    X11Server server("1024x1024x24");
    ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
    server.use();  // for reading the window back
    {
        Demo demo(
            {"DISPLAY=" + server.display(), "QUOR7706_SCALE=3", "SDL_AUDIODRIVER=nosuchdriver"});
        for (int i = 0; i < 100 && x11_window_size("QUOR7706").first == 0; ++i)
            std::this_thread::sleep_for(50ms);
        ASSERT_EQ(x11_window_size("QUOR7706"), std::pair(768, 768)) << demo.error_output();
        std::this_thread::sleep_for(2s);  // well into the pictures
        Pixels p;
        ASSERT_TRUE(x11_grab("QUOR7706", 768, 768, &p));
        int32_t off_block = 0;
        int32_t lit = 0;
        for (int32_t y = 0; y < 768; ++y)
            for (int32_t x = 0; x < 768; ++x) {
                off_block += p[y * 768 + x] != p[(y - y % 3) * 768 + (x - x % 3)];
                lit += p[y * 768 + x] != 0;
            }
        EXPECT_EQ(off_block, 0);
        EXPECT_GT(lit, 768 * 768 / 2);
        EXPECT_EQ(demo.error_output(), "");
    }
    {
        Demo demo(
            {"DISPLAY=" + server.display(), "QUOR7706_SCALE=0", "SDL_AUDIODRIVER=nosuchdriver"});
        for (int i = 0; i < 100 && x11_window_size("QUOR7706").first == 0; ++i)
            std::this_thread::sleep_for(50ms);
        EXPECT_EQ(x11_window_size("QUOR7706"), std::pair(256, 256));
        EXPECT_EQ(demo.error_output(),
                  "quor7706: QUOR7706_SCALE=0 ignored (a whole number from 1 to 8); scale 1\n");
    }
}

}  // namespace
