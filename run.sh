#!/usr/bin/env bash
# Builds the demo and runs it in a window.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
quor_need_packages "${QUOR_BUILD_PACKAGES[@]}"
# The demo alone: no tests, so none of their packages are needed. The options
# the demo shares with ./test.sh's build are the same, so both use build/.
QUOR_TARGETS=quor7706 quor_build build -DCMAKE_BUILD_TYPE=Release -DQUOR_SANITIZE=OFF \
    -DQUOR_FUZZ=OFF -DBUILD_TESTING=OFF
if [ -z "${DISPLAY:-}" ] && [ -z "${SDL_VIDEODRIVER:-}" ]; then
    echo "quor7706: no display (DISPLAY is not set); run it under Xvfb: xvfb-run -a -s '-screen 0 640x480x24' ./build/program/quor7706 (packages xvfb and xauth)" >&2
    exit 2
fi
exec ./build/program/quor7706
