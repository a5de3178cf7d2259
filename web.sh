#!/usr/bin/env bash
# Builds the demo for a web browser (WebAssembly, with Debian's emscripten).
#   ./web.sh              builds it into build-web/site/: index.html, quor7706.js, quor7706.wasm
#   ./web.sh serve [PORT] builds it, then serves that folder on 127.0.0.1 (port 7706)
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
action=${1:-build}
case "$action" in
build | serve) ;;
*)
    echo "usage: ./web.sh [serve [PORT]]" >&2
    exit 2
    ;;
esac
quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_WEB_PACKAGES[@]}"

# The asset generators run at build time, so they are built for this machine
# (build-web-host/), and the browser build takes their output.
QUOR_TARGETS="make_font make_logo make_pictures make_sounds make_icon" quor_build build-web-host \
    -DCMAKE_BUILD_TYPE=Release -DQUOR_SANITIZE=OFF -DQUOR_FUZZ=OFF -DBUILD_TESTING=OFF \
    -DQUOR_BENCH=OFF
# The program alone: no tests, benchmarks, fuzzers or recorder. emscripten's
# JavaScript optimiser needs acorn, which Debian keeps under /usr/share/nodejs.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
QUOR_TARGETS=quor7706 quor_build build-web \
    -DCMAKE_TOOLCHAIN_FILE="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DQUOR_SANITIZE=OFF -DQUOR_FUZZ=OFF -DBUILD_TESTING=OFF \
    -DQUOR_BENCH=OFF -DQUOR_ASSET_GENERATORS_DIR="$PWD/build-web-host/assets"

site=build-web/site
mkdir -p "$site"
cp web/index.html build-web/program/quor7706.js build-web/program/quor7706.wasm "$site/"
echo "web.sh: the demo's page is in $site/ (index.html, quor7706.js, quor7706.wasm)"

if [ "$action" = serve ]; then
    port=${2:-7706}
    echo "web.sh: open http://127.0.0.1:$port/ (Ctrl-C stops the server)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
fi
