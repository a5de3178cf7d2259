// SAMPLE: not built yet.
#pragma once
