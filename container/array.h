// ARRAY: not built yet.
#pragma once
