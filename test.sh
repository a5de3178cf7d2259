#!/usr/bin/env bash
# Builds and runs every test.
#   ./test.sh          the normal optimised build: every test (windows under its own Xvfb)
#   ./test.sh asan     the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer
#   ./test.sh tsan     the tests labelled audio, built with ThreadSanitizer
#   ./test.sh fuzz     a short run of every fuzz target (clang, libFuzzer), from its corpus if it has one
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh
kind=${1:-normal}
case "$kind" in
fuzz) quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_FUZZ_PACKAGES[@]}" ;;
*) quor_need_packages "${QUOR_BUILD_PACKAGES[@]}" "${QUOR_TEST_PACKAGES[@]}" ;;
esac
# Every build names each option that changes what it makes, so a folder never
# keeps one that an earlier command chose.
checked=(-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DQUOR_FUZZ=OFF -DQUOR_BENCH=OFF)

# Tests that open windows or send keys get an X server of their own, so they
# never type into the user's desktop. -noreset: an X server otherwise resets
# itself whenever its last client leaves (every test that closes its window),
# and refuses the next test's connections while it does.
start_xvfb() {
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 640x480x24 -nolisten tcp -noreset >/dev/null 2>&1 &
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
    # build/ is shared with ./run.sh, which leaves the tests out.
    quor_build build -DCMAKE_BUILD_TYPE=Release -DQUOR_SANITIZE=OFF -DQUOR_FUZZ=OFF \
        -DBUILD_TESTING=ON -DQUOR_BENCH=ON
    start_xvfb
    ctest --test-dir build --output-on-failure --no-tests=error -j 2
    ;;
asan)
    quor_build build-asan "${checked[@]}" -DQUOR_SANITIZE=address
    start_xvfb
    # SDL's X11 and audio libraries are not instrumented; leaks inside them are theirs.
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ctest --test-dir build-asan --output-on-failure --no-tests=error -j 2
    ;;
tsan)
    # The tests labelled audio: quor_tests_audio builds exactly those.
    QUOR_TARGETS=quor_tests_audio quor_build build-tsan "${checked[@]}" -DQUOR_SANITIZE=thread
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
    ctest --test-dir build-tsan --output-on-failure --no-tests=error -L audio
    ;;
fuzz)
    # quor_fuzz builds every fuzz target; fuzz/CMakeLists.txt lists them in targets.txt.
    CC=clang CXX=clang++ QUOR_TARGETS=quor_fuzz quor_build build-fuzz -DCMAKE_BUILD_TYPE=Release \
        -DQUOR_FUZZ=ON -DQUOR_SANITIZE=OFF -DQUOR_BENCH=OFF -DBUILD_TESTING=OFF
    seconds=${QUOR_FUZZ_SECONDS:-30}
    passed=0
    failed=0
    while read -r name; do
        [ -n "$name" ] || continue
        seeds=()
        [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
        scratch=$(mktemp -d)
        echo "== $name: ${seconds}s${seeds[*]:+ from ${seeds[*]}}"
        status=0
        "build-fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$scratch" "${seeds[@]}" </dev/null \
            >"$scratch.log" 2>&1 || status=$?
        grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' "$scratch.log" || true
        if [ "$status" -eq 0 ]; then
            passed=$((passed + 1))
        else
            tail -n 40 "$scratch.log" >&2
            echo "$name found a failure" >&2
            failed=$((failed + 1))
        fi
        rm -rf "$scratch" "$scratch.log"
    done <build-fuzz/fuzz/targets.txt
    echo "fuzz: $passed passed, $failed failed"
    [ $((passed + failed)) -gt 0 ] || { echo "fuzz: no targets were built" >&2; exit 1; }
    [ "$failed" -eq 0 ]
    ;;
*)
    echo "usage: ./test.sh [normal|asan|tsan|fuzz]" >&2
    exit 2
    ;;
esac
