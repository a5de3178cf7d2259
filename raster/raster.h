// RASTER: not built yet.
#pragma once
