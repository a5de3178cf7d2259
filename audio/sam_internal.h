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

}  // namespace sam_internal
