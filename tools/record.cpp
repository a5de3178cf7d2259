// quor7706-record: renders the demo offline, frame by frame, exactly as the
// program draws it, and writes a video with its music (or the music alone,
// or numbered PPM frames).
//
// It runs the real program, demo_main, through three replaceable seams of
// the platform modules: a present hook (every frame dpy_present shows is one
// video frame), a virtual clock (20 ms per presented frame, no sleeping) and
// a scripted key source. There is no window (SDL's dummy video driver) and
// no audio device: start-up finds none, and before the first frame is shown
// the recorder puts a device-less sound record in the program's `sound`.
// After every presented frame it takes kFrameValues values (882: a second's
// 44,100 over 50 frames) from the sound module's real callback, so picture and sound stay in step
// to the value. The program's shutdown closes that record like a device's.
//
// The recording ends when the program ends (after a scripted "q" and its
// shutdown fade) or after --frames frames; then the recorder presses escape
// at every look at the keyboard, so the program winds down through its own
// shutdown while the rest of its frames are left out.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "audio/sample.h"
#include "image/img.h"
#include "platform/dpy.h"
#include "platform/fps.h"
#include "platform/kbd.h"
#include "platform/snd.h"
#include "program/demo.h"
#include "tools/music_render.h"
#include "tools/record_output.h"

namespace {

// One whole cycle with its fades: the opening fade, the pictures, the fade
// into the tiles, the tiles, the fade out of them, the logo.
constexpr int32_t kCycleFrames =
    kFadeFrames + kPicturesFrames + kFadeFrames + kTilesFrames + kFadeFrames + kLogoFrames;
constexpr int32_t kMaxFrames = 1000000;  // 5.5 hours; keeps a WAVE file within its 4 GB

const char kUsage[] =
    "usage: quor7706-record [--frames N] [--keys FRAME:KEY,...] [--scale N] [--crf N]\n"
    "                       [--preset NAME] [--quiet] -o FILE\n"
    "       quor7706-record --assets-hash\n"
    "Renders the demo offline, frame by frame, with its music, at 50 frames per second.\n"
    "\n"
    "  -o FILE      FILE.mp4 or FILE.mkv: H.264 video with AAC sound (needs ffmpeg);\n"
    "               FILE.wav: the sound alone; a folder (an existing one, or a name\n"
    "               ending in /): frame-00001.ppm, ... and audio.wav;\n"
    "               FILE.hashes: a line 'frame N HASH' a frame and 'sound HASH'\n"
    "               (64-bit FNV-1a of the RGB bytes and of the sound's values)\n"
    "  --frames N   record N frames (1 to 1000000); default 4193, one whole cycle\n"
    "               with its fades\n"
    "  --keys LIST  press keys: FRAME:KEY pairs separated by commas, e.g.\n"
    "               1600:space,3000:3. KEY is pressed after frame FRAME (counted\n"
    "               from 1; 0 is before the first) and the program reads it at its\n"
    "               next look at the keyboard. KEY is one character (q, u, i, o, p,\n"
    "               3, 6, 7, ...), space or escape. q or escape ends the recording\n"
    "               after the demo's shutdown fade.\n"
    "  --scale N    every pixel an N x N block (1 to 8; default 1): 1024 x 1024\n"
    "               frames at 4, which video sites keep sharp\n"
    "  --crf N      the video's x264 quality, 0 (lossless) to 51; default 18\n"
    "  --preset P   the video's x264 preset, ultrafast to placebo; default medium\n"
    "  --quiet      no progress line and no list of the music's changes\n"
    "  --assets-hash  print 'assets HASH', the 64-bit FNV-1a of the embedded files\n"
    "               (the browser's page shows the same), and exit\n"
    "  --help       this text\n";

struct ScriptedKey {
    int32_t frame;
    int32_t sym;
};

struct Options {
    int32_t frames = kCycleFrames;
    std::vector<ScriptedKey> keys;  // in the order given
    std::string output;
    OutputKind kind = OutputKind::wav;
    OutputSettings settings;
    bool quiet = false;
};

// ---- Options ---------------------------------------------------------------

[[noreturn]] void usage_error(const std::string& message) {
    fprintf(stderr, "quor7706-record: %s (see --help)\n", message.c_str());
    exit(2);
}

// A whole decimal number from min to max, or false.
bool parse_number(const std::string& text, int32_t min, int32_t max, int32_t& value) {
    if (text.empty() || text.size() > 10) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < min || v > max) return false;
    value = static_cast<int32_t>(v);
    return true;
}

// The key symbol of a key name: one printable character, "space" or "escape".
bool parse_key(const std::string& name, int32_t& sym) {
    if (name == "space") {
        sym = ' ';
        return true;
    }
    if (name == "escape" || name == "esc") {
        sym = kbd_escape;
        return true;
    }
    if (name.size() == 1 && name[0] > ' ' && name[0] < 127) {
        sym = static_cast<unsigned char>(name[0]);
        return true;
    }
    return false;
}

void parse_keys(const std::string& list, std::vector<ScriptedKey>& keys) {
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(list.find(',', start), list.size());
        const std::string item = list.substr(start, end - start);
        const size_t colon = item.find(':');
        ScriptedKey key{};
        if (colon == std::string::npos ||
            !parse_number(item.substr(0, colon), 0, INT32_MAX - 1, key.frame))
            usage_error("--keys: '" + item + "' is not FRAME:KEY");
        if (!parse_key(item.substr(colon + 1), key.sym))
            usage_error("--keys: unknown key '" + item.substr(colon + 1) +
                        "' (one character, space or escape)");
        keys.push_back(key);
        if (end == list.size()) break;
        start = end + 1;
    }
}

Options parse_options(int argc, char** argv) {
    Options o;
    bool have_output = false;
    std::string video_only;  // an option given that only a video takes
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            fputs(kUsage, stdout);
            exit(0);
        } else if (arg == "--assets-hash") {
            printf("assets %016llx\n", static_cast<unsigned long long>(assets_hash()));
            exit(0);
        } else if (arg == "--frames") {
            const std::string v = value();
            if (!parse_number(v, 1, kMaxFrames, o.frames))
                usage_error("--frames: '" + v + "' is not a number from 1 to 1000000");
        } else if (arg == "--keys") {
            parse_keys(value(), o.keys);
        } else if (arg == "-o") {
            o.output = value();
            have_output = true;
        } else if (arg == "--scale") {
            const std::string v = value();
            if (!parse_number(v, 1, 8, o.settings.scale))
                usage_error("--scale: '" + v + "' is not a number from 1 to 8");
        } else if (arg == "--crf") {
            const std::string v = value();
            if (!parse_number(v, 0, 51, o.settings.crf))
                usage_error("--crf: '" + v + "' is not a number from 0 to 51");
            video_only = "--crf";
        } else if (arg == "--preset") {
            o.settings.preset = value();
            bool known = false;
            for (const char* const* p = x264_presets; *p; ++p)
                known |= o.settings.preset == *p;
            if (!known)
                usage_error("--preset: '" + o.settings.preset +
                            "' is not one of x264's presets (ultrafast, superfast, veryfast, "
                            "faster, fast, medium, slow, slower, veryslow, placebo)");
            video_only = "--preset";
        } else if (arg == "--quiet") {
            o.quiet = true;
        } else {
            usage_error("unknown option '" + arg + "'");
        }
    }
    if (!have_output) usage_error("no output: give -o FILE");
    if (!output_kind_of(o.output, o.kind))
        usage_error("-o: '" + o.output +
                    "' must end in .mp4, .mkv, .wav or .hashes, or name a folder");
    if (!video_only.empty() && o.kind != OutputKind::video)
        usage_error(video_only + " is for a video (.mp4 or .mkv), not " + o.output);
    const bool frames = o.kind == OutputKind::video || o.kind == OutputKind::folder;
    if (o.settings.scale > 1 && !frames)
        usage_error("--scale is for frames (a video or a folder), not " + o.output);
    return o;
}

// ---- Progress ----------------------------------------------------------------

double seconds_now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Frames done of the total, frames per second and time left on standard
// error: one line redrawn in place on a terminal, else a line a second.
class Progress {
public:
    Progress(bool quiet, int32_t total)
        : quiet_(quiet), terminal_(isatty(2) == 1), total_(total), start_(seconds_now()) {
        next_ = start_ + (terminal_ ? 0.1 : 1.0);
    }
    void frame(int32_t done) {
        if (quiet_) return;
        const double now = seconds_now();
        if (now < next_) return;
        next_ = now + (terminal_ ? 0.1 : 1.0);
        drawn_ = terminal_;
        const double fps = done / std::max(now - start_, 1e-6);
        fprintf(stderr, "%squor7706-record: frame %d of %d, %.0f frames per second, %.1f s left%s",
                terminal_ ? "\r" : "", done, total_, fps, (total_ - done) / std::max(fps, 1.0),
                terminal_ ? "\033[K" : "\n");
    }
    // Ends a line drawn in place, so that a message can follow it.
    void break_line() {
        if (drawn_) fputc('\n', stderr);
        drawn_ = false;
    }
    void done(int32_t frames, const std::string& output) {
        if (quiet_) return;
        const double took = seconds_now() - start_;
        fprintf(stderr,
                "%squor7706-record: %d frames (%.2f s of demo) in %.2f s, %.0f frames per second: "
                "%s%s\n",
                terminal_ ? "\r" : "", frames, frames / double{kFrameRate}, took,
                frames / std::max(took, 1e-6), output.c_str(), terminal_ ? "\033[K" : "");
    }

private:
    bool quiet_;
    bool terminal_;
    int32_t total_;
    double start_;
    double next_;
    bool drawn_ = false;  // a line without its newline is on the terminal
};

// ---- The recording -----------------------------------------------------------

struct Recording {
    Options options;
    std::unique_ptr<Output> output;
    std::unique_ptr<Progress> progress;
    int32_t presented = 0;  // frames the program has presented
    int32_t recorded = 0;   // of which recorded
    size_t next_key = 0;    // the next scripted key to press
    bool pressed = false;   // a key went out in the current look at the keyboard
    MusicWatch watch;
    std::vector<MusicChange> changes;
    std::vector<int16_t> values = std::vector<int16_t>(kFrameValues);
};

Recording* recording = nullptr;
volatile sig_atomic_t interrupted = 0;

void on_interrupt(int) {
    interrupted = 1;
}

// Ctrl-C and kill end the recording at the next frame, removing what was
// written. Set again at the first frame: opening the window gives both
// signals back their default action.
void catch_interrupts() {
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_flags = 0;  // a write blocked on a stalled ffmpeg ends too
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

[[noreturn]] void stop(const std::string& message, int status) {
    if (recording && recording->output) recording->output->abandon();
    if (recording && recording->progress) recording->progress->break_line();
    if (!message.empty()) fprintf(stderr, "quor7706-record: %s\n", message.c_str());
    exit(status);
}

// Ctrl-C or kill: the output's name is left as it was (a folder keeps the
// frames completed so far).
[[noreturn]] void stop_interrupted() {
    const Recording& r = *recording;
    if (r.options.kind == OutputKind::folder)
        stop("interrupted; " + r.options.output + " holds " + std::to_string(r.recorded) +
                 " frames and no audio.wav",
             130);
    stop("interrupted; " + r.options.output + " not written", 130);
}

uint32_t virtual_ms() {
    return static_cast<uint32_t>(recording->presented) * (1000u / kFrameRate);
}

void no_sleep(uint32_t) {}

// One key-down per look at the keyboard: the scripted keys whose frame has
// been shown, in order, and escape at every look once the recording is full.
int32_t scripted_keys(KbdEvent* event) {
    Recording& r = *recording;
    if (r.pressed) {
        r.pressed = false;  // this look at the keyboard ends here
        return 0;
    }
    int32_t sym = 0;
    if (r.recorded >= r.options.frames) {
        sym = kbd_escape;
    } else if (r.next_key < r.options.keys.size() &&
               r.options.keys[r.next_key].frame <= r.presented) {
        sym = r.options.keys[r.next_key++].sym;
    } else {
        return 0;
    }
    event->type = KBD_EVENT_KEYDOWN;
    event->sym = sym;
    r.pressed = true;
    return 1;
}

void on_frame(const Image* frame) {
    Recording& r = *recording;
    r.presented += 1;
    if (r.recorded >= r.options.frames) return;  // winding down: left out
    if (r.recorded == 0) {
        catch_interrupts();
        if (sound) snd_close(&sound);  // an audio device after all: not heard
        sound = snd_new();
        if (!sound) stop("out of memory", 1);
    }
    if (interrupted) stop_interrupted();
    r.recorded += 1;
    r.watch.look(r.recorded, r.changes);
    music_take(sound, r.values.data(), kFrameValues);
    if (!r.output->add(frame, r.values.data(), kFrameValues)) {
        r.recorded -= 1;  // not complete
        if (interrupted) stop_interrupted();
        stop(r.output->error(), 1);
    }
    r.progress->frame(r.recorded);
}

}  // namespace

int main(int argc, char** argv) {
    Recording r;
    r.options = parse_options(argc, argv);
    if (r.options.kind == OutputKind::video && !ffmpeg_available()) {
        fprintf(stderr,
                "quor7706-record: ffmpeg not found; install the Debian package ffmpeg "
                "(apt-get install ffmpeg)\n");
        return 1;
    }
    // No window and no audio device: SDL's dummy video and an audio driver
    // that does not exist. The recorder writes its own frames, not the
    // capture switch's.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "none", 1);
    unsetenv("QUOR7706_CAPTURE");
    unsetenv("QUOR7706_SCALE");  // the frames stay 256 x 256
    unsetenv("QUOR7706_FULLSCREEN");
    signal(SIGPIPE, SIG_IGN);  // a stopped ffmpeg is a failed write, reported
    catch_interrupts();

    std::string error;
    r.output = output_open(r.options.output, r.options.kind, screen_width, screen_height,
                           r.options.settings, error);
    if (!r.output) {
        fprintf(stderr, "quor7706-record: %s\n", error.c_str());
        return 1;
    }
    r.progress = std::make_unique<Progress>(r.options.quiet, r.options.frames);
    recording = &r;
    fps_set_clock(virtual_ms, no_sleep);
    kbd_set_event_source(scripted_keys);
    dpy_set_present_hook(on_frame);

    const int status = demo_main();
    if (interrupted) stop_interrupted();
    if (status == 2 || r.recorded == 0)
        stop("the demo did not start: " + std::string(dpy_failure()), 1);
    if (!r.output->finish()) stop(r.output->error(), 1);
    r.progress->done(r.recorded, r.options.output);
    if (!r.options.quiet) {
        for (const MusicChange& c : r.changes)
            printf("%s\n", music_change_line(c).c_str());
    }
    recording = nullptr;
    return 0;
}
