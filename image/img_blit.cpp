// Filled in by the drawing, blitting, decoding, writing and scaling work.
#include "image/img.h"
