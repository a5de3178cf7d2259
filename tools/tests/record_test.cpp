// quor7706-record as its users run it: each recording is a fresh process,
// checked by the files it writes, its output lines and its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

constexpr size_t kFrameValues = 882;

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Result {
    int status;
    std::string out;
    std::string err;
};

// A scratch folder of its own for every test; the recorder runs inside it.
class Record : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/quor7706-record-testXXXXXX";
        dir_ = mkdtemp(name);
        fs::create_directory(dir_ / "work");
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The recorder with args, run in work/; extra_env is "NAME=value".
    Result record(const std::vector<std::string>& args, const std::string& extra_env = "") {
        const pid_t pid = fork();
        if (pid == 0) {
            if (!extra_env.empty()) putenv(const_cast<char*>(extra_env.c_str()));
            if (chdir((dir_ / "work").c_str()) != 0) _exit(126);
            if (!freopen((dir_ / "out").c_str(), "w", stdout)) _exit(126);
            if (!freopen((dir_ / "err").c_str(), "w", stderr)) _exit(126);
            std::vector<char*> argv = {const_cast<char*>(QUOR_RECORD)};
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(QUOR_RECORD, argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir_ / "out"),
                read_file(dir_ / "err")};
    }
    fs::path work(const std::string& name) const { return dir_ / "work" / name; }

    fs::path dir_;
};

// The 256 x 256 RGB bytes of a recorded frame (1-based), after its P6 header.
Bytes frame(const fs::path& folder, int n) {
    char name[32];
    snprintf(name, sizeof name, "frame-%05d.ppm", n);
    const Bytes file = read_file(folder / name);
    const std::string header = "P6\n256 256\n255\n";
    EXPECT_EQ(file.substr(0, header.size()), header) << name;
    return file.size() > header.size() ? file.substr(header.size()) : Bytes();
}

bool black(const Bytes& rgb) {
    return !rgb.empty() && std::all_of(rgb.begin(), rgb.end(), [](char c) { return c == 0; });
}

// One step of the demo's fade: 4 off every channel, down to 0.
Bytes faded(Bytes rgb) {
    for (char& c : rgb)
        c = static_cast<char>(std::max(0, static_cast<uint8_t>(c) - 4));
    return rgb;
}

// The 16-bit values of a WAVE file the recorder wrote, after checking its header.
std::vector<int16_t> wav_values(const fs::path& path) {
    const Bytes file = read_file(path);
    if (file.size() < 44) return {};
    uint32_t data_bytes = 0;
    for (int i = 3; i >= 0; --i)
        data_bytes = data_bytes << 8 | static_cast<uint8_t>(file[40 + i]);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(data_bytes, file.size() - 44);
    std::vector<int16_t> values((file.size() - 44) / 2);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int16_t>(static_cast<uint8_t>(file[44 + 2 * i]) |
                                         static_cast<uint8_t>(file[45 + 2 * i]) << 8);
    return values;
}

size_t frame_files(const fs::path& folder) {
    return static_cast<size_t>(
        std::count_if(fs::directory_iterator(folder), fs::directory_iterator(),
                      [](const fs::directory_entry& e) { return e.path().extension() == ".ppm"; }));
}

TEST_F(Record, FramesAndSoundInStepFromABlackFirstFrameSpaceFadesToTheNextPart) {
    const Result run = record({"--frames", "170", "--keys", "100:space", "--quiet", "-o", "f/"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(frame_files(work("f")), 170u);
    EXPECT_EQ(std::distance(fs::directory_iterator(work("f")), fs::directory_iterator()), 171);
    EXPECT_EQ(wav_values(work("f/audio.wav")).size(), 170 * kFrameValues);

    EXPECT_TRUE(black(frame(work("f"), 1)));  // the opening fade of a black screen
    EXPECT_FALSE(black(frame(work("f"), 100)));
    // SPACE pressed after frame 100: from frame 101 on, the next part's fade.
    for (int n = 100; n < 164; ++n)
        ASSERT_EQ(frame(work("f"), n + 1), faded(frame(work("f"), n))) << "frame " << n + 1;
    EXPECT_TRUE(black(frame(work("f"), 164)));
    EXPECT_FALSE(black(frame(work("f"), 165)));  // the tiles part
}

TEST_F(Record, QuitEndsTheRecordingAfterTheShutdownFade) {
    const Result run = record({"--keys", "100:q", "--quiet", "-o", "f/"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(frame_files(work("f")), 164u);  // 100 frames, then 64 of the fade
    EXPECT_EQ(wav_values(work("f/audio.wav")).size(), 164 * kFrameValues);
    EXPECT_EQ(frame(work("f"), 101), faded(frame(work("f"), 100)));
    EXPECT_TRUE(black(frame(work("f"), 164)));
}

TEST_F(Record, TwoRecordingsAreByteForByteEqual) {
    const std::vector<std::string> options = {"--frames", "300", "--keys", "120:space,200:p",
                                              "--quiet"};
    for (const char* out : {"a/", "b/", "c.wav"}) {
        std::vector<std::string> args = options;
        args.push_back("-o");
        args.push_back(out);
        ASSERT_EQ(record(args).status, 0) << out;
    }
    EXPECT_EQ(frame_files(work("a")), 300u);
    for (const auto& entry : fs::directory_iterator(work("a")))
        ASSERT_EQ(read_file(entry.path()), read_file(work("b") / entry.path().filename()))
            << entry.path().filename();
    EXPECT_EQ(read_file(work("c.wav")), read_file(work("a/audio.wav")));
}

// The music is silent until the sequencer's first change, which the
// recorder lists on standard output, and starts within the second after it.
TEST_F(Record, TheMusicStartsAtTheFrameOfTheFirstChange) {
    const Result run = record({"--frames", "1000", "-o", "m.wav"});
    ASSERT_EQ(run.status, 0) << run.err;
    int first = 0;
    ASSERT_EQ(sscanf(run.out.c_str(), "frame %d (", &first), 1) << run.out;
    const std::vector<int16_t> values = wav_values(work("m.wav"));
    ASSERT_EQ(values.size(), 1000 * kFrameValues);
    const size_t start = (first - 1) * kFrameValues;  // the values heard with that frame
    const size_t sound =
        std::find_if(values.begin(), values.end(), [](int16_t v) { return v != 0; }) -
        values.begin();
    EXPECT_GE(sound, start);
    // The sound may begin past the play position; the loop reaches it within a second.
    EXPECT_LT(sound, start + 44100);
    // Progress on a standard error that is no terminal: plain lines, the last a summary.
    EXPECT_EQ(run.err.find('\r'), std::string::npos);
    EXPECT_NE(run.err.find("quor7706-record: 1000 frames (20.00 s of demo)"), std::string::npos)
        << run.err;
}

TEST_F(Record, BadOptionsExitTwoWithOneLineAndWriteNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"-o"},
        {"-o", "out.txt"},
        {"--frames", "0", "-o", "a.wav"},
        {"--frames", "1000001", "-o", "a.wav"},
        {"--frames", "12x", "-o", "a.wav"},
        {"--keys", "100", "-o", "a.wav"},
        {"--keys", "x:q", "-o", "a.wav"},
        {"--keys", "10:enter", "-o", "a.wav"},
        {"--keys", "10:q,", "-o", "a.wav"},
        {"--loud", "-o", "a.wav"},
        {"--scale", "0", "-o", "f/"},
        {"--scale", "9", "-o", "a.mp4"},
        {"--scale", "2", "-o", "a.wav"},
        {"--crf", "52", "-o", "a.mp4"},
        {"--crf", "-1", "-o", "a.mp4"},
        {"--preset", "turbo", "-o", "a.mkv"},
        {"--crf", "20", "-o", "a.wav"},
        {"--preset", "fast", "-o", "f/"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const std::string& a : args)
            line += a + " ";
        const Result run = record(args);
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_EQ(run.out, "") << line;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << line << run.err;
        EXPECT_EQ(run.err.rfind("quor7706-record: ", 0), 0u) << line << run.err;
    }
    // Without ffmpeg a video cannot be made: one line naming the package.
    const Result run = record({"-o", "a.mp4"}, "PATH=/nonexistent");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("install the Debian package ffmpeg"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(work("")));

    const Result help = record({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: quor7706-record", 0), 0u);
}

// --assets-hash names the data the program carries: the files the build's
// generators wrote, in the order font, logo mask, logo, pictures, scroll
// text, sounds. The browser's page shows the same line for its own build.
TEST_F(Record, AssetsHashIsThatOfTheFilesTheGeneratorsWrote) {
    const fs::path gen = QUOR_ASSET_FILES;
    std::vector<std::string> files = {"font.pbm", "logo-mask.pbm", "logo.ppm"};
    for (int i = 0; fs::exists(gen / ("picture-" + std::to_string(i) + ".ppm")); ++i)
        files.push_back("picture-" + std::to_string(i) + ".ppm");
    files.push_back("scroll_text.txt");
    files.push_back("sounds.bin");
    uint64_t hash = 0xCBF29CE484222325u;
    for (const std::string& name : files) {
        const Bytes bytes = read_file(gen / name);
        ASSERT_FALSE(bytes.empty()) << name;
        for (char c : bytes) {
            hash ^= static_cast<uint8_t>(c);
            hash *= 0x100000001B3u;
        }
    }
    char expected[40];
    snprintf(expected, sizeof expected, "assets %016llx\n", static_cast<unsigned long long>(hash));

    const Result run = record({"--assets-hash"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(work("")));
}

// An output whose folder is missing, or is a file, fails at once, naming the
// output as typed; nothing is rendered and nothing written.
TEST_F(Record, AnOutputThatCannotBeWrittenIsNamedAsTypedBeforeAnyFrame) {
    std::ofstream(work("plain")) << "x";
    const struct {
        std::string output;
        std::string reason;
    } cases[] = {{"/nonexistent/d/x.mp4", "No such file or directory"},
                 {"/nonexistent/d/x.wav", "No such file or directory"},
                 {"/nonexistent/d/frames/", "No such file or directory"},
                 {"plain/x.wav", "Not a directory"}};
    for (const auto& c : cases) {
        const Result run = record({"--frames", "1000000", "-o", c.output});
        EXPECT_EQ(run.status, 1) << c.output;
        EXPECT_EQ(run.out, "") << c.output;
        EXPECT_EQ(run.err, "quor7706-record: cannot write " + c.output + ": " + c.reason + "\n");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(work("")), fs::directory_iterator()), 1);
}

// The whole cycle as a list of hashes is the one kept beside this test, on
// every machine and compiler: any change of what the demo shows or plays
// fails here. A deliberate change of the show records the list again
// (quor7706-record -o tools/tests/cycle.hashes) in the same commit.
TEST_F(Record, TheWholeCycleIsTheShowKeptInTheRepository) {
    const Result run = record({"--quiet", "-o", "cycle.hashes"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::istringstream got(read_file(work("cycle.hashes")));
    std::istringstream kept(read_file(QUOR_KEPT_HASHES));
    std::string a, b;
    int32_t line = 0;
    int32_t differ = 0;
    std::string first;
    while (std::getline(kept, b)) {
        ++line;
        if (!std::getline(got, a)) a = "(nothing)";
        if (a == b) continue;
        if (differ++ == 0) first = "line " + std::to_string(line) + ": " + a + ", kept " + b;
    }
    EXPECT_FALSE(std::getline(got, a)) << "more lines than kept";
    EXPECT_EQ(line, 4193 + 1);
    EXPECT_EQ(differ, 0) << "first difference at " << first;
}

// --scale 3: each frame of a folder is the unscaled frame with every pixel a
// 3 x 3 block; the sound is the same.
TEST_F(Record, AScaledFolderHoldsTheFramesBlownUp) {
    ASSERT_EQ(record({"--frames", "100", "--quiet", "-o", "one/"}).status, 0);
    const Result run = record({"--frames", "100", "--scale", "3", "--quiet", "-o", "three/"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes file = read_file(work("three/frame-00100.ppm"));
    const std::string header = "P6\n768 768\n255\n";
    ASSERT_EQ(file.substr(0, header.size()), header);
    const Bytes small = frame(work("one"), 100);
    ASSERT_EQ(small.size(), 3u * 256 * 256);
    Bytes big;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 768; ++x)
            big += small.substr(3 * ((y / 3) * 256 + x / 3), 3);
    EXPECT_TRUE(file.substr(header.size()) == big) << "frame 100 is not frame 100 blown up";
    EXPECT_EQ(read_file(work("three/audio.wav")), read_file(work("one/audio.wav")));
}

// ffprobe's value of one entry, e.g. ("v:0", "stream=width").
std::string probe(const fs::path& file, const std::string& stream, const std::string& entry) {
    const std::string command = "ffprobe -v error -select_streams " + stream + " -show_entries " +
                                entry + " -of default=nw=1:nk=1 '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    char text[64] = "";
    if (!fgets(text, sizeof text, pipe)) text[0] = 0;
    pclose(pipe);
    std::string value = text;
    while (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

TEST_F(Record, SixSecondsOfVideoWithItsSound) {
    ASSERT_EQ(system("command -v ffprobe >/dev/null"), 0)
        << "ffprobe missing: apt-get install ffmpeg";
    const Result run = record({"--frames", "300", "--quiet", "-o", "v.mp4"});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path video = work("v.mp4");
    EXPECT_EQ(probe(video, "v:0", "stream=codec_name"), "h264");
    EXPECT_EQ(probe(video, "v:0", "stream=width"), "256");
    EXPECT_EQ(probe(video, "v:0", "stream=height"), "256");
    EXPECT_EQ(probe(video, "v:0", "stream=r_frame_rate"), "50/1");
    EXPECT_EQ(probe(video, "v:0", "stream=nb_frames"), "300");
    EXPECT_NEAR(atof(probe(video, "v:0", "format=duration").c_str()), 6.0, 0.05);
    EXPECT_EQ(probe(video, "a:0", "stream=codec_name"), "aac");
    EXPECT_EQ(probe(video, "a:0", "stream=sample_rate"), "44100");
    EXPECT_EQ(probe(video, "a:0", "stream=channels"), "1");
    EXPECT_NEAR(atof(probe(video, "a:0", "stream=duration").c_str()), 6.0, 0.05);
    // Only the video is left: no temporary files.
    EXPECT_EQ(std::distance(fs::directory_iterator(work("")), fs::directory_iterator()), 1);
}

// Every N x N block of a frame: the largest difference between two of its
// pixels in one channel, averaged over all blocks and channels. Blocks start
// at (offset, offset); the last partial row and column of blocks are left out.
double mean_block_spread(const Bytes& rgb, int size, int n, int offset) {
    double total = 0;
    int64_t count = 0;
    for (int by = offset; by + n <= size; by += n)
        for (int bx = offset; bx + n <= size; bx += n)
            for (int c = 0; c < 3; ++c) {
                int low = 255, high = 0;
                for (int y = by; y < by + n; ++y)
                    for (int x = bx; x < bx + n; ++x) {
                        const int v = static_cast<uint8_t>(rgb[3 * (y * size + x) + c]);
                        low = std::min(low, v);
                        high = std::max(high, v);
                    }
                total += high - low;
                ++count;
            }
    return total / static_cast<double>(count);
}

// For sharing: --scale 4 makes a 1024 x 1024 video (ffmpeg scales it) whose
// frames are the demo's frames with every pixel a 4 x 4 block, up to the
// codec's small loss; the quality and preset asked for reach the encoder.
TEST_F(Record, AVideoForSharingIsScaledUpInCrispBlocks) {
    ASSERT_EQ(record({"--frames", "100", "--quiet", "-o", "one/"}).status, 0);
    const Result run = record({"--frames", "100", "--scale", "4", "--quiet", "-o", "v.mp4"});
    ASSERT_EQ(run.status, 0) << run.err;
    const fs::path video = work("v.mp4");
    EXPECT_EQ(probe(video, "v:0", "stream=width"), "1024");
    EXPECT_EQ(probe(video, "v:0", "stream=height"), "1024");
    EXPECT_EQ(probe(video, "v:0", "stream=nb_frames"), "100");

    // The last frame, decoded to RGB.
    const std::string command =
        "ffmpeg -v error -i '" + video.string() +
        "' -vf 'select=eq(n\\,99)' -frames:v 1 -f rawvideo -pix_fmt rgb24 -";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    Bytes big(3 * 1024 * 1024, 0);
    const size_t got = fread(big.data(), 1, big.size(), pipe);
    pclose(pipe);
    ASSERT_EQ(got, big.size()) << "no 1024 x 1024 frame decoded";

    // Within the blocks the pixels nearly agree (measured: 2.5 on average);
    // across a grid shifted by 2 pixels they do not (18), so the blocks sit
    // where the demo's pixels do.
    const double aligned = mean_block_spread(big, 1024, 4, 0);
    EXPECT_LT(aligned, 5.0);
    EXPECT_GT(mean_block_spread(big, 1024, 4, 2), 3 * aligned);
    // And each block is the demo's pixel: 99% of them within 24 of it.
    const Bytes small = frame(work("one"), 100);
    ASSERT_EQ(small.size(), 3u * 256 * 256);
    int64_t near = 0;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x)
            for (int c = 0; c < 3; ++c) {
                const int a = static_cast<uint8_t>(big[3 * (y * 1024 + x) + c]);
                const int b = static_cast<uint8_t>(small[3 * ((y / 4) * 256 + x / 4) + c]);
                near += std::abs(a - b) <= 24;
            }
    EXPECT_GT(static_cast<double>(near) / (3.0 * 1024 * 1024), 0.99);
}

// The encoder settings reach x264: at --crf 0 the same frames make a much
// larger file than at --crf 51, and an mkv at --preset ultrafast works.
TEST_F(Record, TheEncoderSettingsReachX264) {
    ASSERT_EQ(record({"--frames", "25", "--crf", "0", "--preset", "ultrafast", "--quiet", "-o",
                      "best.mkv"})
                  .status,
              0);
    ASSERT_EQ(record({"--frames", "25", "--crf", "51", "--preset", "ultrafast", "--quiet", "-o",
                      "worst.mkv"})
                  .status,
              0);
    EXPECT_GT(fs::file_size(work("best.mkv")), 4 * fs::file_size(work("worst.mkv")));
    EXPECT_NEAR(atof(probe(work("best.mkv"), "v:0", "format=duration").c_str()), 0.5, 0.05);
}

}  // namespace
