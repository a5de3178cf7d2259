// Choosing a reader or writer by the ending of the file name.
//
// Endings are "wav", "raw" and "sam" without a dot, letters compared without
// case: "song.xwav" ends in "wav". Saving: "wav" writes the width-line form,
// "raw" the packed SAM form, anything else (and a caller's stream without a
// name) the full SAM form. Loading tries the reader the ending suggests, then
// the WAVE, SAM and headerless readers in turn, each from the start of the
// file; the headerless reader uses the record's depth and order as they are.
#include <cstring>

#include "audio/sam.h"
#include "audio/sam_internal.h"

namespace {

using sam_internal::fail;

// ASCII letters only; bytes 32 apart that are not letters ('@' and '`') never match.
bool is_letter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Two bytes match when equal or when both are ASCII letters differing only in case.
bool same_byte(uint8_t a, uint8_t b) {
    if (a == b) return true;
    return is_letter(a) && is_letter(b) && (a + 32 == b || b + 32 == a);
}

// Tries the reader the name's ending suggests; 1 when it has read the file.
int32_t read_by_ending(SamFile* r) {
    const bool wav = sam_ends_with(r->name, "wav") == 1;
    const bool raw = sam_ends_with(r->name, "raw") == 1;
    if (wav || raw) {
        if (sam_read_wav(r)) return 1;
        // A file saved under a "wav" name holds the width-line form.
        return wav ? sam_read_plain(r) : 0;
    }
    if (sam_ends_with(r->name, "sam")) return sam_read(r);
    return 0;
}

}  // namespace

int32_t sam_ends_with(const char* text, const char* suffix) {
    if (!text) return fail();
    if (!suffix) return fail();
    const size_t L = strlen(text);
    const size_t K = strlen(suffix);
    if (L < K) return 0;
    for (size_t j = K; j-- > 0;) {
        const uint8_t t = static_cast<uint8_t>(text[L - K + j]);
        if (!same_byte(t, static_cast<uint8_t>(suffix[j]))) return 0;
    }
    return 1;
}

int32_t sam_save(SamFile* r) {
    if (!r) return fail(r);
    // Checked before the file is made, so a missing sample leaves no empty file behind.
    if (!r->sample) return fail(r);
    if (!r->sample->data) return fail(r);
    const bool has_stream_or_name = r->file || r->name;
    if (!has_stream_or_name) return fail(r);
    if (!sam_open(r, "wb")) return fail(r);
    if (!r->name) return sam_write(r);
    if (sam_ends_with(r->name, "wav")) return sam_write_plain(r);
    if (sam_ends_with(r->name, "raw")) return sam_write_packed(r);
    return sam_write(r);
}

int32_t sam_load(SamFile* r) {
    if (!r) return fail(r);
    if (read_by_ending(r)) return 1;
    if (sam_read_wav(r)) return 1;
    if (sam_read(r)) return 1;
    if (sam_read_raw(r)) return 1;
    return fail();
}
