// The recorder's outputs: WAVE files, PPM folders and the ffmpeg pipe.
#include "tools/record_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <strings.h>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "container/common.h"
#include "image/img.h"
#include "program/demo.h"
#include "tools/music_render.h"

namespace {

bool ends_with(const std::string& s, const char* ending) {
    const size_t n = strlen(ending);
    return s.size() > n && strcasecmp(s.c_str() + s.size() - n, ending) == 0;
}

std::string reason(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + strerror(errno);
}

class WavOutput : public Output {
public:
    bool open(const std::string& path) { return wav_.open(path, path) || failed(); }
    bool add(const Image*, const int16_t* values, int32_t count) override {
        return wav_.add(values, count) || failed();
    }
    bool finish() override { return wav_.finish() || failed(); }
    void abandon() override { wav_.abandon(); }

private:
    bool failed() {
        error_ = wav_.error();
        return false;
    }
    WavWriter wav_;
};

// A hash as the list writes it: 16 hex digits.
std::string hex(const common::Fnv1a& hash) {
    char text[17];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash.value()));
    return text;
}

// The list of hashes, written under a temporary name and renamed when complete.
class HashOutput : public Output {
public:
    bool open(const std::string& path) {
        path_ = path;
        temp_ = temporary_name(path);
        file_ = fopen(temp_.c_str(), "w");
        if (!file_) return fail();
        return true;
    }
    bool add(const Image* frame, const int16_t* values, int32_t count) override {
        const int64_t n = static_cast<int64_t>(frame->width) * frame->height;
        rgb_.resize(static_cast<size_t>(n) * 3);
        for (int64_t i = 0; i < n; ++i) {
            const uint32_t p = frame->pixels[i];
            rgb_[3 * i] = static_cast<uint8_t>(p >> 16);
            rgb_[3 * i + 1] = static_cast<uint8_t>(p >> 8);
            rgb_[3 * i + 2] = static_cast<uint8_t>(p);
        }
        common::Fnv1a picture;
        picture.add(rgb_.data(), static_cast<int64_t>(rgb_.size()));
        for (int32_t i = 0; i < count; ++i) {
            const uint16_t v = static_cast<uint16_t>(values[i]);
            const uint8_t bytes[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
            sound_.add(bytes, 2);
        }
        frames_ += 1;
        if (fprintf(file_, "frame %d %s\n", frames_, hex(picture).c_str()) < 0) return fail();
        return true;
    }
    bool finish() override {
        if (fprintf(file_, "sound %s\n", hex(sound_).c_str()) < 0) return fail();
        const int closed = fclose(file_);
        file_ = nullptr;
        if (closed != 0 || rename(temp_.c_str(), path_.c_str()) != 0) return fail();
        return true;
    }
    void abandon() override {
        if (file_) fclose(file_);
        file_ = nullptr;
        unlink(temp_.c_str());
    }
    ~HashOutput() override { abandon(); }

private:
    bool fail() {
        error_ = reason("cannot write", path_);
        return false;
    }
    std::string path_;
    std::string temp_;
    FILE* file_ = nullptr;
    int32_t frames_ = 0;
    std::vector<uint8_t> rgb_;
    common::Fnv1a sound_;
};

// frame-00001.ppm, frame-00002.ppm, ... and audio.wav in a folder, made when
// it does not exist. Each frame is written as "frame-NNNNN.ppm.part-PID" and
// renamed when complete.
class FolderOutput : public Output {
public:
    explicit FolderOutput(int32_t scale) : scale_(scale) {}
    ~FolderOutput() override { img_free(&scaled_); }
    bool open(const std::string& name) {
        folder_ = name;
        while (folder_.size() > 1 && folder_.back() == '/')
            folder_.pop_back();
        struct stat st;
        if (mkdir(folder_.c_str(), 0777) != 0 &&
            !(errno == EEXIST && stat(folder_.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) {
            error_ = reason("cannot make the folder", folder_);
            return false;
        }
        const std::string audio = folder_ + "/audio.wav";
        return audio_.open(audio, audio) || failed();
    }
    bool add(const Image* frame, const int16_t* values, int32_t count) override {
        char name[32];
        snprintf(name, sizeof name, "/frame-%05d.ppm", ++frames_);
        const std::string path = folder_ + name;
        const std::string temp = temporary_name(path);
        const Image* written = frame;
        if (scale_ > 1) {
            // Nearest neighbour at a whole factor: every pixel a square block.
            if (!scaled_) scaled_ = img_new();
            img_resize(scaled_, frame->width * scale_, frame->height * scale_);
            img_scale(frame, scaled_);
            written = scaled_;
        }
        if (!img_save_ppm(written, temp.c_str()) || rename(temp.c_str(), path.c_str()) != 0) {
            error_ = reason("cannot write", path);
            unlink(temp.c_str());
            return false;
        }
        return audio_.add(values, count) || failed();
    }
    bool finish() override { return audio_.finish() || failed(); }
    void abandon() override { audio_.abandon(); }

private:
    bool failed() {
        error_ = audio_.error();
        return false;
    }
    std::string folder_;
    WavWriter audio_;
    int32_t frames_ = 0;
    int32_t scale_;
    Image* scaled_ = nullptr;  // the frame scaled up, kept from frame to frame
};

// Writes all of bytes to fd. An interrupted write (Ctrl-C) fails too, so
// that the recorder stops even while ffmpeg has stopped reading.
bool write_all(int fd, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Runs ffmpeg with args, the read end of `input` (or nothing) on its standard
// input; every other descriptor of ours closes on exec. The child's id, or -1.
pid_t start_ffmpeg(const std::vector<std::string>& args, int input) {
    // Made before the fork: the child only sets up descriptors and signals.
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child != 0) return child;
    if (input >= 0) dup2(input, 0);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    execvp("ffmpeg", argv.data());
    _exit(127);
}

// Waits for ffmpeg to end; true when it wrote its file.
bool ffmpeg_succeeded(pid_t child) {
    if (child <= 0) return false;
    int status = 0;
    pid_t r;
    do {
        r = waitpid(child, &status, 0);
    } while (r < 0 && errno == EINTR);
    return r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> ffmpeg_command(std::initializer_list<std::string> args) {
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
    a.insert(a.end(), args);
    return a;
}

// A video in two steps. While recording, ffmpeg reads the raw frames on a
// pipe and encodes them as H.264 into a temporary Matroska file, and the
// values go to a temporary WAVE file. When it is finished, a second ffmpeg
// copies the video and encodes the sound as AAC into the output's container.
// (One ffmpeg reading frames and values on two pipes stalls: it opens its
// inputs one after the other and waits on the sound while the frames' pipe
// is full.)
class VideoOutput : public Output {
public:
    explicit VideoOutput(const OutputSettings& settings) : settings_(settings) {}
    bool open(const std::string& path, int32_t width, int32_t height) {
        path_ = path;
        temp_ = temporary_name(path);
        video_ = temp_ + ".video.mkv";
        width_ = width;
        height_ = height;
        if (!audio_.open(temp_ + ".wav", path_)) {
            error_ = audio_.error();
            return false;
        }
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            error_ = reason("cannot write", path_);
            return false;
        }
        // Image words are 0x00RRGGBB: B, G, R, 0 in memory on a little-endian machine.
        const char* pixels = std::endian::native == std::endian::little ? "bgr0" : "0rgb";
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        std::vector<std::string> args =
            ffmpeg_command({"-f", "rawvideo", "-pix_fmt", pixels, "-video_size", size, "-framerate",
                            std::to_string(kFrameRate), "-i", "pipe:0"});
        if (settings_.scale > 1) {
            const std::string n = std::to_string(settings_.scale);
            args.insert(args.end(), {"-vf", "scale=iw*" + n + ":ih*" + n + ":flags=neighbor"});
        }
        args.insert(args.end(), {"-c:v", "libx264", "-preset", settings_.preset, "-crf",
                                 std::to_string(settings_.crf), "-pix_fmt", "yuv420p", "-f",
                                 "matroska", video_});
        encoder_ = start_ffmpeg(args, fds[0]);
        close(fds[0]);
        frames_fd_ = fds[1];
        if (encoder_ < 0) {
            error_ = reason("cannot start ffmpeg to write", path_);
            return false;
        }
        return true;
    }
    bool add(const Image* frame, const int16_t* values, int32_t count) override {
        if (frame->width != width_ || frame->height != height_) {
            error_ = "a frame of another size than the first";
            return false;
        }
        const size_t size = static_cast<size_t>(width_) * height_ * 4;
        if (!write_all(frames_fd_, frame->pixels, size)) {
            error_ = "ffmpeg stopped reading the frames of " + path_;
            return false;
        }
        return audio_.add(values, count) || fail(audio_.error());
    }
    bool finish() override {
        close_frames();
        const bool encoded = ffmpeg_succeeded(encoder_);
        encoder_ = -1;
        if (!encoded) return fail("ffmpeg failed (see its message above) to encode " + path_);
        if (!audio_.finish()) return fail(audio_.error());
        const bool mp4 = ends_with(path_, ".mp4");
        std::vector<std::string> args =
            ffmpeg_command({"-i", video_, "-i", temp_ + ".wav", "-map", "0:v", "-map", "1:a",
                            "-c:v", "copy", "-c:a", "aac", "-b:a", "192k"});
        if (mp4) {
            args.push_back("-movflags");
            args.push_back("+faststart");
        }
        args.push_back("-f");
        args.push_back(mp4 ? "mp4" : "matroska");
        args.push_back(temp_);
        if (!ffmpeg_succeeded(start_ffmpeg(args, -1)))
            return fail("ffmpeg failed (see its message above) to write " + path_);
        if (rename(temp_.c_str(), path_.c_str()) != 0) return fail(reason("cannot write", path_));
        remove_parts();
        return true;
    }
    void abandon() override {
        close_frames();
        ffmpeg_succeeded(encoder_);
        encoder_ = -1;
        audio_.abandon();
        remove_parts();
        unlink(temp_.c_str());
    }
    ~VideoOutput() override { abandon(); }

private:
    bool fail(const std::string& message) {
        error_ = message;
        abandon();
        return false;
    }
    void close_frames() {
        if (frames_fd_ >= 0) close(frames_fd_);
        frames_fd_ = -1;
    }
    void remove_parts() {
        unlink(video_.c_str());
        unlink((temp_ + ".wav").c_str());
    }

    OutputSettings settings_;
    std::string path_;
    std::string temp_;   // the finished video before it takes the output's name
    std::string video_;  // the frames alone, encoded
    WavWriter audio_;    // the sound, until the second step
    int32_t width_ = 0;
    int32_t height_ = 0;
    pid_t encoder_ = -1;
    int frames_fd_ = -1;
};

}  // namespace

bool output_kind_of(const std::string& name, OutputKind& kind) {
    struct stat st;
    if (!name.empty() &&
        (name.back() == '/' || (stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))) {
        kind = OutputKind::folder;
        return true;
    }
    if (ends_with(name, ".mp4") || ends_with(name, ".mkv")) {
        kind = OutputKind::video;
        return true;
    }
    if (ends_with(name, ".wav")) {
        kind = OutputKind::wav;
        return true;
    }
    if (ends_with(name, ".hashes")) {
        kind = OutputKind::hashes;
        return true;
    }
    return false;
}

bool ffmpeg_available() {
    const char* path = getenv("PATH");
    for (const char* p = path; p && *p;) {
        const char* colon = strchr(p, ':');
        const size_t n = colon ? static_cast<size_t>(colon - p) : strlen(p);
        // An empty entry is the working folder.
        const std::string program = (n ? std::string(p, n) : std::string(".")) + "/ffmpeg";
        if (access(program.c_str(), X_OK) == 0) return true;
        if (!colon) break;
        p = colon + 1;
    }
    return false;
}

const char* const x264_presets[] = {"ultrafast", "superfast", "veryfast", "faster",
                                    "fast",      "medium",    "slow",     "slower",
                                    "veryslow",  "placebo",   nullptr};

std::unique_ptr<Output> output_open(const std::string& name, OutputKind kind, int32_t width,
                                    int32_t height, const OutputSettings& settings,
                                    std::string& error) {
    // The folder the output goes into must be there and writable; say so
    // before anything is rendered.
    std::string parent = name;
    while (parent.size() > 1 && parent.back() == '/')
        parent.pop_back();
    const size_t slash = parent.rfind('/');
    parent = slash == std::string::npos ? "." : slash == 0 ? "/" : parent.substr(0, slash);
    struct stat st;
    int problem = 0;
    if (stat(parent.c_str(), &st) != 0)
        problem = errno;
    else if (!S_ISDIR(st.st_mode))
        problem = ENOTDIR;
    else if (access(parent.c_str(), W_OK | X_OK) != 0)
        problem = errno;
    if (problem) {
        error = "cannot write " + name + ": " + strerror(problem);
        return nullptr;
    }
    switch (kind) {
        case OutputKind::wav: {
            auto out = std::make_unique<WavOutput>();
            if (out->open(name)) return out;
            error = out->error();
            return nullptr;
        }
        case OutputKind::folder: {
            auto out = std::make_unique<FolderOutput>(settings.scale);
            if (out->open(name)) return out;
            error = out->error();
            return nullptr;
        }
        case OutputKind::hashes: {
            auto out = std::make_unique<HashOutput>();
            if (out->open(name)) return out;
            error = out->error();
            return nullptr;
        }
        case OutputKind::video: {
            auto out = std::make_unique<VideoOutput>(settings);
            if (out->open(name, width, height)) return out;
            error = out->error();
            return nullptr;
        }
    }
    return nullptr;
}
