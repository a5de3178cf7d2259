// Helpers the SAM module's source files share; not part of its interface.
#pragma once

#include <cstdint>

#include "audio/sam.h"

namespace sam_internal {

// Appends value at the end of the sample; false when no memory is left for it.
bool append(Sample* s, int32_t value);
// Puts a new empty sample in the record, releasing the one it held; false without memory.
bool renew_sample(SamFile* r);
// A failed check or a rejected file: the stream, if any, is closed; the result is 0.
int32_t fail(SamFile* r);
// A failed check with no stream to close: the result is 0.
int32_t fail();
// The smallest of 8, 16, 24 and 32 bits that holds every value of the sample
// with its sign (8 for an empty sample).
int32_t value_width(const Sample* s);

// Reads size bytes into one word: order 'l' takes the least significant byte
// first, 'm' the most significant; any other order keeps the first byte
// alone. next_byte() gives the next byte (0 .. 255), or a negative value once
// the input has ended. False when the input ends first.
template <typename NextByte>
bool read_word(NextByte next_byte, int32_t size, char order, uint32_t& word) {
    word = 0;
    for (int32_t k = 0; k < size; ++k) {
        const int c = next_byte();
        if (c < 0) return false;
        const uint32_t byte = static_cast<uint32_t>(c);
        if (order == 'l') word |= byte << (8 * k);
        if (order == 'm') word = word << 8 | byte;
        if (order != 'l' && order != 'm' && k == 0) word = byte;
    }
    return true;
}

}  // namespace sam_internal
