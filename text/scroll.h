// Not built yet.
#pragma once
