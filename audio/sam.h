// SAM: not built yet.
#pragma once
