// sound: turns a WAVE file into a SAM file and back, with the SAM and SAMPLE
// modules (audio/sam.h, audio/sample.h, linked as Quor7706::audio).
//
//   sound IN.wav OUT.sam          WAVE (PCM, 8 or 16 bits, mono) to SAM
//   sound IN.sam OUT.wav [RATE]   SAM to a 16-bit mono WAVE file at RATE Hz (default 44100)
//
// The name endings choose the direction. A SAM file keeps no rate: the WAVE
// file's is printed, and RATE given (or 44100, the demo's own) on the way back.
// Exit status: 0 done, 1 a file or a number was wrong, 2 a usage error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/sam.h"
#include "audio/sample.h"

namespace {

// One line on stderr and exit status 1.
int fail(const char* what, const char* detail) {
    fprintf(stderr, "sound: %s: %s\n", what, detail);
    return 1;
}

// The sample rate in a WAVE header (bytes 24 to 27, little-endian); the SAM
// module reads the values but keeps no rate.
long wave_rate(const char* path) {
    unsigned char h[28] = {};
    FILE* f = fopen(path, "rb");
    const bool got = f && fread(h, 1, sizeof h, f) == sizeof h;
    if (f) fclose(f);
    return got ? h[24] | h[25] << 8 | h[26] << 16 | long{h[27]} << 24 : 0;
}

// Writes the sample as a canonical WAVE file: 44-byte header, 16-bit mono PCM.
bool write_wave(const Sample* sample, const char* path, long rate) {
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    // The header: each tag, then a little-endian field of that many bytes
    // (sizes, PCM, mono, rates, 2 bytes a frame, 16 bits, data size).
    const uint32_t bytes = static_cast<uint32_t>(sample->length) * 2;
    const char* tags[] = {"RIFF", "WAVEfmt ", "", "", "", "", "", "", "data"};
    const uint32_t r = static_cast<uint32_t>(rate);
    const uint32_t fields[] = {36 + bytes, 16, 1, 1, r, r * 2, 2, 16, bytes};
    const int sizes[] = {4, 4, 2, 2, 4, 4, 2, 2, 4};
    for (int i = 0; i < 9; ++i) {
        fputs(tags[i], f);
        for (int b = 0; b < sizes[i]; ++b)
            fputc(static_cast<int>(fields[i] >> (8 * b) & 0xFF), f);
    }
    sample_write_raw(sample, f, 16, 'l');  // the values, little-endian, clamped to 16 bits
    const bool failed = ferror(f) != 0;
    return fclose(f) == 0 && !failed;
}

}  // namespace

int main(int argc, char** argv) {
    // The name endings choose the direction (sam_ends_with ignores case).
    const auto ends = [&](int i, const char* e) { return argc > i && sam_ends_with(argv[i], e); };
    const bool to_sam = argc == 3 && ends(1, ".wav") && ends(2, ".sam");
    const bool to_wave = argc <= 4 && ends(1, ".sam") && ends(2, ".wav");
    if (!to_sam && !to_wave) {
        fprintf(stderr, "usage: sound IN.wav OUT.sam | sound IN.sam OUT.wav [RATE]\n");
        return 2;
    }
    char* end = nullptr;
    const long rate = argc == 4 ? strtol(argv[3], &end, 10) : to_wave ? 44100 : wave_rate(argv[1]);
    if (argc == 4 && (end == argv[3] || *end || rate < 1 || rate > 1000000))
        return fail(argv[3], "not a rate from 1 to 1000000 Hz");

    SamFile* r = sam_new();     // ends the program when no memory is left
    r->name = strdup(argv[1]);  // the record frees its name, so it comes from malloc
    // sam_read_wav takes the canonical WAVE layout only (44-byte header, 8 or
    // 16-bit PCM); sam_load tries the reader the name's ending suggests, then the others.
    const bool read = to_sam ? sam_read_wav(r) && r->channels == 1 : sam_load(r);
    Sample* sample = r->sample;
    // 8-bit WAVE values come unsigned (0 to 255): centred and widened to signed 16 bits.
    if (read && to_sam && r->depth == 8)
        for (int32_t i = 0; i < sample->length; ++i)
            sample_set(sample, (sample_get(sample, i) - 128) * 256, i);

    // sam_save chooses the writer by the name's ending: a ".sam" name gets the
    // full SAM form, with 16-bit binary values when the format is 'b'. A ".wav"
    // name would get the module's own width-line form, not WAVE: write_wave writes that.
    free(r->name);
    r->name = strdup(argv[2]);
    r->format = 'b';
    const bool written = read && (to_sam ? sam_save(r) == 1 : write_wave(sample, argv[2], rate));
    if (written) printf("%s -> %s: %d values at %ld Hz\n", argv[1], argv[2], sample->length, rate);
    sam_free(&r);
    if (!read)
        return fail(argv[1], to_sam ? "cannot read a mono 8 or 16-bit PCM WAVE file"
                                    : "cannot read a SAM file");
    return written ? 0 : fail(argv[2], "cannot write the file");
}
