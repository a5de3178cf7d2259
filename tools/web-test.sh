#!/usr/bin/env bash
# The browser build in headless Chromium: builds it with ./web.sh and the
# native recorder beside the asset generators (build-web-host/), then runs
# tools/tests/web_test.py, which serves the page on 127.0.0.1 and checks what
# a viewer sees and hears against the recorder's account of the same frames.
#   tools/web-test.sh              the checks ('N passed, N failed' last)
#   tools/web-test.sh --measure docs   also the frame rate, start-up time, file
#                                      sizes, and docs/web-*.png of each part
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_WEB_PACKAGES[@]}" "${QUOR_WEB_TEST_PACKAGES[@]}"
./web.sh
QUOR_TARGETS=quor7706-record quor_build build-web-host -DCMAKE_BUILD_TYPE=Release \
    -DQUOR_SANITIZE=OFF -DQUOR_FUZZ=OFF -DBUILD_TESTING=OFF -DQUOR_BENCH=OFF
# Debian's Python, which has Debian's selenium; no bytecode left in tools/tests.
exec /usr/bin/python3 -B tools/tests/web_test.py --site build-web/site \
    --record build-web-host/program/quor7706-record "$@"
