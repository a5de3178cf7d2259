#!/usr/bin/env bash
# Builds and runs every test.
#   ./test.sh          the normal optimised build: every test (windows under its own Xvfb)
#   ./test.sh asan     the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer
#   ./test.sh tsan     the audio tests built with ThreadSanitizer
#   ./test.sh fuzz     a short run of every fuzz target (clang, libFuzzer) from its corpus
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_TEST_PACKAGES[@]}"
kind=${1:-normal}

# Tests that open windows or send keys get an X server of their own, so they
# never type into the user's desktop.
start_xvfb() {
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 50); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "could not start Xvfb" >&2
    return 1
}

case "$kind" in
normal)
    quor_build build -DCMAKE_BUILD_TYPE=Release
    start_xvfb
    ctest --test-dir build --output-on-failure -j 2
    ;;
asan)
    quor_build build-asan -DQUOR_SANITIZE=address -DQUOR_BENCH=OFF
    start_xvfb
    # SDL's X11 and audio libraries are not instrumented; leaks inside them are theirs.
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir build-asan --output-on-failure -j 2
    ;;
tsan)
    QUOR_TARGETS="snd_test sample_test sample_math_test sample_shape_test sample_text_test sam_test" \
        quor_build build-tsan -DQUOR_SANITIZE=thread -DQUOR_BENCH=OFF
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    ctest --test-dir build-tsan --output-on-failure -L audio
    ;;
fuzz)
    targets=$(ls fuzz/*.cpp 2>/dev/null | xargs -r -n1 basename | sed 's/\.cpp$//' | tr '\n' ' ')
    [ -n "$targets" ] || { echo "fuzz: no targets"; exit 0; }
    CC=clang CXX=clang++ QUOR_TARGETS="$targets" quor_build build-fuzz -DQUOR_FUZZ=ON -DQUOR_BENCH=OFF
    seconds=${QUOR_FUZZ_SECONDS:-30}
    ran=0
    for corpus in fuzz/corpus/*/; do
        name=$(basename "$corpus")
        target=build-fuzz/fuzz/$name
        [ -x "$target" ] || continue
        scratch=$(mktemp -d)
        echo "== $name: ${seconds}s"
        status=0
        "$target" -max_total_time="$seconds" -print_final_stats=1 "$scratch" "$corpus" \
            >"$scratch.log" 2>&1 || status=$?
        grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$scratch.log" || true
        [ "$status" -eq 0 ] || tail -n 40 "$scratch.log" >&2
        rm -rf "$scratch" "$scratch.log"
        [ "$status" -eq 0 ] || { echo "$name found a failure" >&2; exit 1; }
        ran=$((ran + 1))
    done
    echo "fuzz: $ran passed, 0 failed"
    ;;
*)
    echo "usage: ./test.sh [normal|asan|tsan|fuzz]" >&2
    exit 2
    ;;
esac
