// The library against its peers, side by side in one program: the image
// operations against SDL 1.2's blitter, SDL_gfx and SDL_image, the WAVE
// reader against libsndfile. Both sides of a pair get the same input bytes;
// before anything is timed, each pair's outputs are checked to agree (where
// the two define the result differently, the check says how). After the
// runs the program prints, per pair, ratio = peer time / our time (above 1
// we are faster) against its target, and the peak heap use of our readers.
//
// Run it pinned to one core, CPU time, the least of nine interleaved
// repetitions (the default here):
//   taskset -c 1 ./build/bench/quor_peer_bench
#include <SDL.h>
#include <SDL_image.h>
#include <SDL_rotozoom.h>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "audio/sam.h"
#include "audio/sample.h"
#include "image/img.h"

// ---- A counting allocator: every malloc of the program passes here ---------
// While `counting` is on, the bytes held (as malloc_usable_size tells) are
// summed and their peak kept; otherwise each call is passed straight on.

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);

namespace {
bool counting = false;
int64_t held = 0;
int64_t peak = 0;

void count_in(void* p) {
    if (!counting || !p) return;
    held += static_cast<int64_t>(malloc_usable_size(p));
    if (held > peak) peak = held;
}
void count_out(void* p) {
    if (counting && p) held -= static_cast<int64_t>(malloc_usable_size(p));
}
}  // namespace

// Off, each one is a plain jump on to the C library's own, so that the timed
// code pays next to nothing for it.
extern "C" void* malloc(size_t n) {
    if (!counting) return __libc_malloc(n);
    void* p = __libc_malloc(n);
    count_in(p);
    return p;
}
extern "C" void* calloc(size_t n, size_t size) {
    if (!counting) return __libc_calloc(n, size);
    void* p = __libc_calloc(n, size);
    count_in(p);
    return p;
}
extern "C" void* realloc(void* old, size_t n) {
    if (!counting) return __libc_realloc(old, n);
    count_out(old);
    void* p = __libc_realloc(old, n);
    count_in(p ? p : old);
    return p;
}
extern "C" void free(void* p) {
    if (!counting) return __libc_free(p);
    count_out(p);
    __libc_free(p);
}

namespace {

// Peak bytes held while f runs, counted from what was held before it.
template <typename F>
int64_t peak_heap(F f) {
    held = 0;
    peak = 0;
    counting = true;
    f();
    counting = false;
    return peak;
}

[[noreturn]] void mismatch(const char* what) {
    fprintf(stderr, "peer_bench: %s: the two sides disagree\n", what);
    exit(2);
}

uint32_t next_random(uint32_t& v) {
    v = v * 1103515245u + 12345u;
    return v >> 8;
}

// ---- Pictures and surfaces ---------------------------------------------------

Image* image_of(int32_t w, int32_t h) {
    Image* image = img_new();
    img_resize(image, w, h);
    return image;
}

// A 32-bit surface of 0x00RRGGBB pixels holding a copy of the image.
SDL_Surface* surface_of(const Image* image) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, image->width, image->height, 32, 0xFF0000,
                                          0xFF00, 0xFF, 0);
    if (!s) mismatch("SDL_CreateRGBSurface");
    for (int32_t y = 0; y < image->height; ++y)
        memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, image->pixels + y * image->width,
               static_cast<size_t>(image->width) * 4);
    return s;
}

// Pixel (x, y) of a 32-bit surface.
uint32_t surface_pixel(const SDL_Surface* s, int x, int y) {
    uint32_t p = 0;
    memcpy(&p, static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * 4, 4);
    return p;
}

bool same_pixels(const Image* image, const SDL_Surface* s, uint32_t flip = 0) {
    if (s->w != image->width || s->h != image->height) return false;
    if (s->format->BytesPerPixel != 4) return false;
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            if ((surface_pixel(s, x, y) & 0xFFFFFF) != (image->pixels[y * s->w + x] ^ flip))
                return false;
    return true;
}

// A 256 x 256 screen of a fixed colour pattern.
Image* screen_image() {
    Image* screen = image_of(256, 256);
    uint32_t v = 5;
    for (int32_t i = 0; i < 256 * 256; ++i)
        screen->pixels[i] = next_random(v) & 0xFFFFFF;
    return screen;
}

// A 128 x 128 filled disc of shaded colours on black.
Image* disc_image() {
    Image* disc = image_of(128, 128);
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 128; ++x) {
            const int32_t dx = 2 * x - 127, dy = 2 * y - 127;
            if (dx * dx + dy * dy <= 128 * 128)
                disc->pixels[y * 128 + x] =
                    static_cast<uint32_t>(x * 2) << 16 | static_cast<uint32_t>(y * 2) << 8 | 0x81;
        }
    return disc;
}

// A w x h picture of random colours, `black` percent of them 0.
Image* speckled_image(int32_t w, int32_t h, uint32_t black, uint32_t seed) {
    Image* image = image_of(w, h);
    for (int32_t i = 0; i < w * h; ++i) {
        const uint32_t colour = (next_random(seed) & 0xFFFFFF) | 0x010000;
        image->pixels[i] = next_random(seed) % 100 < black ? 0 : colour;
    }
    return image;
}

// ---- The rows ----------------------------------------------------------------

// One row of the comparison: the same work done by our code and by a peer,
// registered as "ours/KEY" and "peer/KEY".
struct Row {
    const char* key;
    const char* work;
    const char* peer;
    double target;  // the least ratio of peer time to ours that meets it
    void (*ours)(benchmark::State&);
    void (*theirs)(benchmark::State&);
    double our_units = 1;  // outputs per call, when a row is per output pixel
    double peer_units = 1;
};

std::vector<Row> rows;  // filled by make_rows, in the order of the table

Row& row(const std::string& key) {
    for (Row& r : rows)
        if (key == r.key) return r;
    fprintf(stderr, "no row %s\n", key.c_str());
    exit(1);
}
std::map<std::string, double> cpu_ns;  // least CPU time per call, by benchmark name

// The transparent 128 x 128 blits: the picture at (60, 70) of the screen.
struct BlitCase {
    Image* picture;
    Image* screen;
    SDL_Surface* peer_picture;
    SDL_Surface* peer_screen;
};

BlitCase blit_case(Image* picture, Uint32 flags) {
    BlitCase c{picture, screen_image(), surface_of(picture), nullptr};
    c.peer_screen = surface_of(c.screen);
    SDL_SetColorKey(c.peer_picture, flags, 0);
    img_blit_transparent(c.picture, c.screen, 0, 0, 60, 70, 128, 128);
    SDL_Rect at{60, 70, 0, 0};
    SDL_BlitSurface(c.peer_picture, nullptr, c.peer_screen, &at);
    return c;
}

BlitCase disc_case, speckled_case;

// The least any transparent blit of the disc must do: put its opaque pixels
// on the screen. Here they are packed one after another beforehand (as a
// run-length encoding holds them), each row's one run of them is known, and
// every run is copied with memcpy: no test of any pixel, no read of the clear
// corners. That is the memory work of the blit and nothing else, so peer time
// / this time bounds the ratio any blit can reach.
struct Span {
    int32_t row, from, count;
};
std::vector<Span> disc_runs;
std::vector<uint32_t> disc_packed;
Image* bound_screen;

void copy_runs(Image* screen, int32_t x, int32_t y) {
    const uint32_t* from = disc_packed.data();
    for (const Span& r : disc_runs) {
        memcpy(screen->pixels + (y + r.row) * screen->width + x + r.from, from,
               static_cast<size_t>(r.count) * sizeof(uint32_t));
        from += r.count;
    }
}

// The runs of non-zero pixels of each row; false when some row has more than one.
bool find_runs(const Image* picture) {
    for (int32_t y = 0; y < picture->height; ++y) {
        const uint32_t* row = picture->pixels + y * picture->width;
        int32_t from = 0;
        while (from < picture->width && row[from] == 0)
            ++from;
        int32_t to = from;
        while (to < picture->width && row[to] != 0)
            ++to;
        for (int32_t x = to; x < picture->width; ++x)
            if (row[x] != 0) return false;
        if (to > from) disc_runs.push_back({y, from, to - from});
        disc_packed.insert(disc_packed.end(), row + from, row + to);
    }
    return true;
}

// The tile field: 2048 keyed 16 x 16 tiles, 90% wholly off the screen.
struct TileCase {
    Image* tile;
    Image* screen;
    SDL_Surface* peer_tile;
    SDL_Surface* peer_screen;
    std::vector<std::pair<int32_t, int32_t>> places;
};
TileCase tiles;

void tile_field(const TileCase& c) {
    for (const auto& [x, y] : c.places)
        img_blit_transparent(c.tile, c.screen, 0, 0, x, y, 16, 16);
}
void peer_tile_field(const TileCase& c) {
    for (const auto& [x, y] : c.places) {
        SDL_Rect at{static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_BlitSurface(c.peer_tile, nullptr, c.peer_screen, &at);
    }
}

// Scaling: the source pixel (x, y) is y * w + x + 1, so that every output
// pixel names the source pixel it came from.
Image* numbered_image(int32_t w, int32_t h) {
    Image* image = image_of(w, h);
    for (int32_t i = 0; i < w * h; ++i)
        image->pixels[i] = static_cast<uint32_t>(i + 1);
    return image;
}
Image* logo;      // 320 x 64
Image* squeezed;  // 256 x 64, kept
Image* picture;   // 128 x 128
SDL_Surface* peer_logo;
SDL_Surface* peer_picture;

// Our scaling and SDL_gfx's pick source pixels with different phases: the
// check wants the same output size and, for each output pixel, source rows and
// columns no further apart than one step of the scale (source / destination
// size, rounded up): we take the last source pixel of each step, SDL_gfx the first.
void check_scale(const char* what, const Image* ours, const SDL_Surface* theirs, int32_t sw,
                 int32_t sh) {
    if (theirs->w != ours->width || theirs->h != ours->height) mismatch(what);
    const int32_t step = (sw + ours->width - 1) / ours->width;
    const int32_t step_y = (sh + ours->height - 1) / ours->height;
    for (int y = 0; y < theirs->h; ++y)
        for (int x = 0; x < theirs->w; ++x) {
            const int64_t a = ours->pixels[y * ours->width + x] - 1;
            const int64_t b = static_cast<int64_t>(surface_pixel(theirs, x, y) & 0xFFFFFF) - 1;
            if (b < 0 || std::llabs(a % sw - b % sw) > step) mismatch(what);
            if (std::llabs(a / sw - b / sw) > step_y) mismatch(what);
        }
}

// Rotation: 256 x 256 of 16 x 16 squares, each of its own colour. Our turn
// of 512 + 85 steps is SDL_gfx's 85 * 360 / 1024 degrees (counter-clockwise).
// The two differ in output size (ours is the sqrt(2) box, SDL_gfx's the
// bounding box) and in rounding: the check lays both centre on centre and
// wants at least 90% of the pixels that both paint to agree, and both to
// paint nearly the same number of pixels.
constexpr int32_t kTurn = 512 + 85;
const double kDegrees = 85.0 * 360.0 / 1024.0;
Image* squares;
SDL_Surface* peer_squares;

void check_rotation() {
    Image* ours = img_rotate(squares, kTurn);
    SDL_Surface* theirs = rotozoomSurface(peer_squares, kDegrees, 1.0, SMOOTHING_OFF);
    if (!ours || !theirs) mismatch("rotate");
    int64_t both = 0, equal = 0, ours_lit = 0, theirs_lit = 0;
    for (int y = 0; y < ours->height; ++y)
        for (int x = 0; x < ours->width; ++x)
            ours_lit += ours->pixels[y * ours->width + x] != 0;
    for (int y = 0; y < theirs->h; ++y)
        for (int x = 0; x < theirs->w; ++x)
            theirs_lit += (surface_pixel(theirs, x, y) & 0xFFFFFF) != 0;
    for (int y = 0; y < ours->height; ++y)
        for (int x = 0; x < ours->width; ++x) {
            const int px = x - ours->width / 2 + theirs->w / 2;
            const int py = y - ours->height / 2 + theirs->h / 2;
            if (px < 0 || py < 0 || px >= theirs->w || py >= theirs->h) continue;
            const uint32_t a = ours->pixels[y * ours->width + x];
            const uint32_t b = surface_pixel(theirs, px, py) & 0xFFFFFF;
            if (a == 0 || b == 0) continue;
            both += 1;
            equal += a == b;
        }
    if (equal * 10 < both * 9) mismatch("rotate (pixels)");
    if (std::llabs(ours_lit - theirs_lit) * 50 > theirs_lit) mismatch("rotate (area)");
    if (std::llabs(ours_lit - 65536) * 50 > 65536) mismatch("rotate (area)");
    row("rotate").our_units = static_cast<double>(ours->width) * ours->height;
    row("rotate").peer_units = static_cast<double>(theirs->w) * theirs->h;
    img_free(&ours);
    SDL_FreeSurface(theirs);
}

// PNM pictures in memory, decoded by both sides.
std::string p6_blob, p4_blob;
SDL_PixelFormat* format32;  // 0x00RRGGBB, 32 bits

std::string p6_of(const Image* image) {
    std::string blob =
        "P6\n" + std::to_string(image->width) + " " + std::to_string(image->height) + "\n255\n";
    for (int32_t i = 0; i < image->width * image->height; ++i) {
        blob += static_cast<char>(image->pixels[i] >> 16);
        blob += static_cast<char>(image->pixels[i] >> 8);
        blob += static_cast<char>(image->pixels[i]);
    }
    return blob;
}

Image* our_pnm(const std::string& blob) {
    return img_from_pnm_length(reinterpret_cast<const uint8_t*>(blob.data()),
                               static_cast<int64_t>(blob.size()));
}

SDL_Surface* peer_pnm(const std::string& blob) {
    SDL_RWops* rw = SDL_RWFromConstMem(blob.data(), static_cast<int>(blob.size()));
    SDL_Surface* loaded = IMG_LoadPNM_RW(rw);
    SDL_RWclose(rw);
    if (!loaded) return nullptr;
    SDL_Surface* converted = SDL_ConvertSurface(loaded, format32, SDL_SWSURFACE);
    SDL_FreeSurface(loaded);
    return converted;
}

// The WAVE file: 44,100 16-bit mono values.
std::string wav_path;

void write_wav() {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    wav_path = std::string(dir) + "/quor_peer_bench_" + std::to_string(getpid()) + ".wav";
    const int32_t n = 44100, bytes = 2 * n;
    std::string f = "RIFF";
    auto le = [&f](uint32_t v, int size) {
        for (int k = 0; k < size; ++k)
            f += static_cast<char>(v >> (8 * k));
    };
    le(36 + bytes, 4);
    f += "WAVEfmt ";
    le(16, 4);
    le(1, 2);          // PCM
    le(1, 2);          // mono
    le(44100, 4);      // rate
    le(44100 * 2, 4);  // bytes a second
    le(2, 2);          // bytes a frame
    le(16, 2);         // depth
    f += "data";
    le(bytes, 4);
    uint32_t v = 77;
    for (int32_t i = 0; i < n; ++i)
        le(next_random(v) & 0xFFFF, 2);
    FILE* out = fopen(wav_path.c_str(), "wb");
    if (!out || fwrite(f.data(), 1, f.size(), out) != f.size()) mismatch("writing the WAVE file");
    fclose(out);
}

Sample* our_wav() {
    SamFile* r = sam_new();
    r->name = strdup(wav_path.c_str());
    sam_read_wav(r);
    Sample* s = r->sample;
    r->sample = nullptr;
    sam_free(&r);
    return s;
}

// libsndfile: open, a buffer for as many values as the file says, read, close.
std::vector<int> peer_wav() {
    SF_INFO info{};
    SNDFILE* f = sf_open(wav_path.c_str(), SFM_READ, &info);
    if (!f) mismatch("sf_open");
    std::vector<int> values(static_cast<size_t>(info.frames));
    sf_read_int(f, values.data(), info.frames);
    sf_close(f);
    return values;
}

// ---- Set-up and checks -------------------------------------------------------

void set_up() {
    // WAVE: libsndfile gives the 16-bit value in the top half of its int.
    write_wav();
    {
        Sample* ours = our_wav();
        const std::vector<int> theirs = peer_wav();
        if (!ours || ours->length != static_cast<int32_t>(theirs.size())) mismatch("wav");
        for (int32_t i = 0; i < ours->length; ++i)
            if (ours->data[i] != theirs[static_cast<size_t>(i)] >> 16) mismatch("wav");
        sample_free(&ours);
    }

    // Blits: one blit on each side onto the same screen gives the same screen.
    disc_case = blit_case(disc_image(), SDL_SRCCOLORKEY | SDL_RLEACCEL);
    if (!same_pixels(disc_case.screen, disc_case.peer_screen)) mismatch("disc blit");
    if (!find_runs(disc_case.picture)) mismatch("disc runs");
    bound_screen = screen_image();
    copy_runs(bound_screen, 60, 70);
    if (!img_equal(bound_screen, disc_case.screen)) mismatch("disc runs");
    speckled_case = blit_case(speckled_image(128, 128, 30, 3), SDL_SRCCOLORKEY | SDL_RLEACCEL);
    if (!same_pixels(speckled_case.screen, speckled_case.peer_screen)) mismatch("speckled blit");

    tiles.tile = speckled_image(16, 16, 12, 9);
    tiles.screen = screen_image();
    tiles.peer_tile = surface_of(tiles.tile);
    tiles.peer_screen = surface_of(tiles.screen);
    SDL_SetColorKey(tiles.peer_tile, SDL_SRCCOLORKEY, 0);
    uint32_t v = 99;
    for (int i = 0; i < 2048; ++i) {
        const int32_t x = static_cast<int32_t>(next_random(v) % 240);
        const int32_t y = static_cast<int32_t>(next_random(v) % 240);
        if (i % 10 == 0)
            tiles.places.emplace_back(x, y);  // on the screen
        else
            tiles.places.emplace_back(x + 300 + i % 200, y - 600);  // wholly off
    }
    tile_field(tiles);
    peer_tile_field(tiles);
    if (!same_pixels(tiles.screen, tiles.peer_screen)) mismatch("tiles");

    // Scaling.
    logo = numbered_image(320, 64);
    squeezed = image_of(256, 64);
    picture = numbered_image(128, 128);
    peer_logo = surface_of(logo);
    peer_picture = surface_of(picture);
    {
        img_scale(logo, squeezed);
        SDL_Surface* theirs = zoomSurface(peer_logo, 256.0 / 320.0, 1.0, SMOOTHING_OFF);
        check_scale("scale 320 x 64", squeezed, theirs, 320, 64);
        SDL_FreeSurface(theirs);
        Image* small = image_of(22, 22);
        img_scale(picture, small);
        theirs = zoomSurface(peer_picture, 22.0 / 128.0, 22.0 / 128.0, SMOOTHING_OFF);
        check_scale("scale 128 x 128", small, theirs, 128, 128);
        SDL_FreeSurface(theirs);
        img_free(&small);
    }

    // Rotation.
    squares = image_of(256, 256);
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            squares->pixels[y * 256 + x] =
                static_cast<uint32_t>((y / 16 * 16 + x / 16) * 0x010203 + 0x40);
    peer_squares = surface_of(squares);
    check_rotation();

    // PNM: SDL_image reads a set P4 bit as black, we as white.
    SDL_Surface* model = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    format32 = model->format;
    Image* colours = speckled_image(128, 128, 0, 21);
    p6_blob = p6_of(colours);
    p4_blob = "P4\n256 32\n";
    uint32_t bits = 4;
    for (int i = 0; i < 256 / 8 * 32; ++i)
        p4_blob += static_cast<char>(next_random(bits));
    {
        Image* ours = our_pnm(p6_blob);
        SDL_Surface* theirs = peer_pnm(p6_blob);
        if (!ours || !theirs || !same_pixels(ours, theirs) || !img_equal(ours, colours))
            mismatch("P6");
        img_free(&ours);
        SDL_FreeSurface(theirs);
        ours = our_pnm(p4_blob);
        theirs = peer_pnm(p4_blob);
        if (!ours || !theirs || !same_pixels(ours, theirs, 0xFFFFFF)) mismatch("P4");
        img_free(&ours);
        SDL_FreeSurface(theirs);
    }
    img_free(&colours);

    // Fade: the same as a per-channel subtraction with a floor of 0.
    {
        Image* screen = screen_image();
        Image* faded = img_clone(screen);
        img_fade(faded, 0x406080);
        for (int32_t i = 0; i < 256 * 256; ++i) {
            const uint32_t p = screen->pixels[i];
            uint32_t want = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int32_t c = static_cast<int32_t>((p >> shift) & 0xFF) -
                                  static_cast<int32_t>((0x406080u >> shift) & 0xFF);
                want |= static_cast<uint32_t>(c > 0 ? c : 0) << shift;
            }
            if (faded->pixels[i] != want) mismatch("fade");
        }
        img_free(&screen);
        img_free(&faded);
    }
}

// ---- Benchmarks: "ours/N" and "peer/N" for row N ------------------------------

void BM_ours_wav(benchmark::State& state) {
    for (auto _ : state) {
        Sample* s = our_wav();
        benchmark::DoNotOptimize(s);
        sample_free(&s);
    }
}
void BM_peer_wav(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<int> values = peer_wav();
        benchmark::DoNotOptimize(values.data());
    }
}

void blit_ours(benchmark::State& state, const BlitCase& c) {
    for (auto _ : state) {
        img_blit_transparent(c.picture, c.screen, 0, 0, 60, 70, 128, 128);
        benchmark::ClobberMemory();
    }
}
void blit_peer(benchmark::State& state, const BlitCase& c) {
    for (auto _ : state) {
        SDL_Rect at{60, 70, 0, 0};
        SDL_BlitSurface(c.peer_picture, nullptr, c.peer_screen, &at);
        benchmark::ClobberMemory();
    }
}
void BM_ours_disc(benchmark::State& state) {
    blit_ours(state, disc_case);
}
void BM_peer_disc(benchmark::State& state) {
    blit_peer(state, disc_case);
}
void BM_bound_disc(benchmark::State& state) {
    for (auto _ : state) {
        copy_runs(bound_screen, 60, 70);
        benchmark::ClobberMemory();
    }
}
void BM_ours_speckled(benchmark::State& state) {
    blit_ours(state, speckled_case);
}
void BM_peer_speckled(benchmark::State& state) {
    blit_peer(state, speckled_case);
}
void BM_ours_tiles(benchmark::State& state) {
    for (auto _ : state) {
        tile_field(tiles);
        benchmark::ClobberMemory();
    }
}
void BM_peer_tiles(benchmark::State& state) {
    for (auto _ : state) {
        peer_tile_field(tiles);
        benchmark::ClobberMemory();
    }
}

void BM_ours_squeeze(benchmark::State& state) {
    for (auto _ : state) {
        img_scale(logo, squeezed);
        benchmark::ClobberMemory();
    }
}
void BM_peer_squeeze(benchmark::State& state) {
    for (auto _ : state) {
        SDL_Surface* s = zoomSurface(peer_logo, 256.0 / 320.0, 1.0, SMOOTHING_OFF);
        benchmark::DoNotOptimize(s);
        SDL_FreeSurface(s);
    }
}
void BM_ours_shrink(benchmark::State& state) {
    for (auto _ : state) {
        Image* small = img_new();
        img_resize(small, 22, 22);
        img_scale(picture, small);
        benchmark::DoNotOptimize(small);
        img_free(&small);
    }
}
void BM_peer_shrink(benchmark::State& state) {
    for (auto _ : state) {
        SDL_Surface* s = zoomSurface(peer_picture, 22.0 / 128.0, 22.0 / 128.0, SMOOTHING_OFF);
        benchmark::DoNotOptimize(s);
        SDL_FreeSurface(s);
    }
}

void BM_ours_rotate(benchmark::State& state) {
    for (auto _ : state) {
        Image* r = img_rotate(squares, kTurn);
        benchmark::DoNotOptimize(r);
        img_free(&r);
    }
}
void BM_peer_rotate(benchmark::State& state) {
    for (auto _ : state) {
        SDL_Surface* s = rotozoomSurface(peer_squares, kDegrees, 1.0, SMOOTHING_OFF);
        benchmark::DoNotOptimize(s);
        SDL_FreeSurface(s);
    }
}

void pnm_ours(benchmark::State& state, const std::string& blob) {
    for (auto _ : state) {
        Image* image = our_pnm(blob);
        benchmark::DoNotOptimize(image);
        img_free(&image);
    }
}
void pnm_peer(benchmark::State& state, const std::string& blob) {
    for (auto _ : state) {
        SDL_Surface* s = peer_pnm(blob);
        benchmark::DoNotOptimize(s);
        SDL_FreeSurface(s);
    }
}
void BM_ours_p6(benchmark::State& state) {
    pnm_ours(state, p6_blob);
}
void BM_peer_p6(benchmark::State& state) {
    pnm_peer(state, p6_blob);
}
void BM_ours_p4(benchmark::State& state) {
    pnm_ours(state, p4_blob);
}
void BM_peer_p4(benchmark::State& state) {
    pnm_peer(state, p4_blob);
}

void BM_ours_fade(benchmark::State& state) {
    Image* screen = screen_image();
    for (auto _ : state) {
        img_fade(screen, 0x010101);
        benchmark::ClobberMemory();
    }
    img_free(&screen);
}
void BM_peer_fade(benchmark::State& state) {
    std::vector<uint32_t> a(256 * 256, 1), b(256 * 256);
    for (auto _ : state) {
        memcpy(b.data(), a.data(), a.size() * sizeof(uint32_t));
        benchmark::ClobberMemory();
    }
}

void make_rows() {
    rows = {
        {"wav", "read a 44,100-value 16-bit mono WAV file", "libsndfile sf_read_int", 1.5,
         BM_ours_wav, BM_peer_wav},
        {"disc", "transparent 128 x 128 blit, filled disc on black", "SDL colour key + RLE", 1.5,
         BM_ours_disc, BM_peer_disc},
        {"speckled", "transparent 128 x 128 blit, 30% random black", "SDL colour key + RLE", 3,
         BM_ours_speckled, BM_peer_speckled},
        {"tiles", "2048 16 x 16 keyed tiles, 90% off a 256 x 256 screen", "SDL colour key", 8,
         BM_ours_tiles, BM_peer_tiles},
        {"squeeze", "scale 320 x 64 to 256 x 64, nearest", "SDL_gfx zoomSurface", 4,
         BM_ours_squeeze, BM_peer_squeeze},
        {"shrink", "scale 128 x 128 to 22 x 22, destination per call", "SDL_gfx zoomSurface", 3,
         BM_ours_shrink, BM_peer_shrink},
        {"rotate", "rotate 256 x 256 by ~30 degrees, per output pixel", "SDL_gfx rotozoomSurface",
         3, BM_ours_rotate, BM_peer_rotate},
        {"p6", "decode P6 128 x 128 to 0x00RRGGBB", "SDL_image + convert to 32", 6, BM_ours_p6,
         BM_peer_p6},
        {"p4", "decode P4 256 x 32 to 0x00RRGGBB", "SDL_image + convert to 32", 4, BM_ours_p4,
         BM_peer_p4},
        {"fade", "img_fade of 256 x 256", "memcpy of the same 256 KiB", 0.9, BM_ours_fade,
         BM_peer_fade},
    };
}

// Adds the least time of the repetitions to the reported aggregates. On a
// shared machine every disturbance only adds time, so the least of several
// runs is the steadiest measure of what the work itself costs.
void with_least(benchmark::internal::Benchmark* b) {
    b->ComputeStatistics("least", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });
}

void register_all() {
    for (const Row& r : rows) {
        with_least(benchmark::RegisterBenchmark((std::string("ours/") + r.key).c_str(), r.ours));
        with_least(benchmark::RegisterBenchmark((std::string("peer/") + r.key).c_str(), r.theirs));
    }
    with_least(benchmark::RegisterBenchmark("bound/disc", BM_bound_disc));
}

// Keeps the least CPU time of each benchmark (or its only run) as it is reported.
class Collector : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool least = run.run_type == Run::RT_Aggregate && run.aggregate_name == "least";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (least || single)
                cpu_ns[run.run_name.function_name] =
                    run.GetAdjustedCPUTime() * (run.time_unit == benchmark::kNanosecond    ? 1
                                                : run.time_unit == benchmark::kMicrosecond ? 1e3
                                                : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                           : 1e9);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string load_average() {
    char text[128] = {};
    FILE* f = fopen("/proc/loadavg", "r");
    if (f) {
        if (!fgets(text, sizeof text, f)) text[0] = 0;
        fclose(f);
    }
    text[strcspn(text, "\n")] = 0;
    return text;
}

void print_memory() {
    printf("\nPeak heap while reading (bytes; result = the values or pixels it gives):\n");
    int64_t result = 0;
    const int64_t wav = peak_heap([&] {
        Sample* s = our_wav();
        result = static_cast<int64_t>(s->length) * 4;
        sample_free(&s);
    });
    const int64_t peer = peak_heap([] { peer_wav(); });
    printf("  %-28s ours %8lld  result %8lld  (%.2fx)   libsndfile %8lld\n", "WAV 44,100 x 16-bit",
           static_cast<long long>(wav), static_cast<long long>(result),
           static_cast<double>(wav) / static_cast<double>(result), static_cast<long long>(peer));
    const std::pair<const char*, const std::string*> pictures[] = {{"P6 128 x 128", &p6_blob},
                                                                   {"P4 256 x 32", &p4_blob}};
    for (const auto& [name, blob] : pictures) {
        const int64_t ours = peak_heap([&] {
            Image* image = our_pnm(*blob);
            result = static_cast<int64_t>(image->width) * image->height * 4;
            img_free(&image);
        });
        const int64_t theirs = peak_heap([&] {
            SDL_Surface* s = peer_pnm(*blob);
            SDL_FreeSurface(s);
        });
        printf("  %-28s ours %8lld  result %8lld  (%.2fx)   SDL_image %8lld\n", name,
               static_cast<long long>(ours), static_cast<long long>(result),
               static_cast<double>(ours) / static_cast<double>(result),
               static_cast<long long>(theirs));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Nine repetitions in random order (ours and the peer's interleaved, so
    // that a slow spell of the machine falls on both sides alike), the
    // aggregates only, unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    std::string reps = "--benchmark_repetitions=9",
                only = "--benchmark_report_aggregates_only=true",
                mixed = "--benchmark_enable_random_interleaving=true";
    bool has_reps = false;
    for (int i = 1; i < argc; ++i)
        has_reps |= strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    if (!has_reps) {
        args.push_back(reps.data());
        args.push_back(only.data());
        args.push_back(mixed.data());
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;

    make_rows();
    set_up();
    printf("Outputs checked: every pair agrees.\n");
    register_all();
    const std::string load_before = load_average();
    Collector collector(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&collector);
    const std::string load_after = load_average();

    printf(
        "\n| work | peer | ours ns | peer ns | ratio | target | "
        "|\n|---|---|---:|---:|---:|---:|---|\n");
    for (const Row& row : rows) {
        const auto o = cpu_ns.find(std::string("ours/") + row.key);
        const auto p = cpu_ns.find(std::string("peer/") + row.key);
        if (o == cpu_ns.end() || p == cpu_ns.end()) continue;
        const double ratio = (p->second / row.peer_units) / (o->second / row.our_units);
        printf("| %s | %s | %.0f | %.0f | %.2f | >= %.1f | %s |\n", row.work, row.peer, o->second,
               p->second, ratio, row.target, ratio >= row.target ? "met" : "NOT MET");
    }
    const auto bound = cpu_ns.find("bound/disc");
    const auto peer_disc = cpu_ns.find("peer/disc");
    if (bound != cpu_ns.end() && peer_disc != cpu_ns.end())
        printf(
            "\nBound of the disc blit: copying only its opaque runs, packed and known "
            "beforehand, takes "
            "%.0f ns;\nno blit can be faster, so the best ratio any blit can reach is %.2f.\n",
            bound->second, peer_disc->second / bound->second);
    printf("\nLoad average before: %s\nLoad average after:  %s\n", load_before.c_str(),
           load_after.c_str());
    print_memory();
    remove(wav_path.c_str());
    return 0;
}
