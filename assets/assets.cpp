// The embedded assets arrive with the demo content.
#include "assets/assets.h"
