#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in build/fuzz (clang, ASan + UBSan, through ccache) and
# runs each for a bounded time, starting from a scratch copy of its seed corpus in fuzz/corpus/,
# so that a run never grows the repository's corpus. Every seed (the regress-* inputs of earlier
# findings included) is run first.
#
#   scripts/fuzz.sh                      every target, 30 s each
#   VANTOR_FUZZ_SECONDS=10 scripts/fuzz.sh
#   VANTOR_FUZZ_TARGETS="tstring language" scripts/fuzz.sh
#
# Per target it prints "fuzz <target>: <executions> executions, corpus <seeds> -> <inputs>,
# OK|CRASH|LEAK|TIMEOUT|OOM", then "fuzz: N passed, N failed". A failing input is kept in
# build/fuzz/findings/<target>/ and the run exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD="$ROOT/build/fuzz"
SECONDS_EACH=${VANTOR_FUZZ_SECONDS:-30}
TIMEOUT_EACH=${VANTOR_FUZZ_TIMEOUT:-10}  # seconds one input may take before it counts as a hang
RSS_LIMIT_MB=${VANTOR_FUZZ_RSS_MB:-2048}

export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
echo "== Fuzz targets: build ($BUILD, the \"fuzz\" preset of CMakePresets.json)"
if [[ ! -f "$BUILD/build.ninja" ]]; then
    mkdir -p "$BUILD"
    cmake --preset fuzz >"$BUILD/configure.log" 2>&1 || { cat "$BUILD/configure.log"; exit 1; }
fi
ninja -C "$BUILD" fuzz_targets

if [[ -n "${VANTOR_FUZZ_TARGETS:-}" ]]; then
    read -r -a targets <<<"$VANTOR_FUZZ_TARGETS"
else
    mapfile -t targets < <(grep -v '^$' "$BUILD/fuzz-targets.txt")
fi

# On a memory file system when there is one: the profile target writes a file per input.
scratch_base=${TMPDIR:-/tmp}
[[ -d /dev/shm && -w /dev/shm ]] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/vantor-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export VANTOR_FUZZ_SCRATCH="$scratch"

# Leaks fail a run; the sanitizers stop at the first fault with a stack. intercept_tls_get_addr=0
# for the same fault of this runtime's leak check as in setup.sh's sanitizer run.
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0:intercept_tls_get_addr=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export QT_QPA_PLATFORM=offscreen

echo "== Fuzz targets: run, ${SECONDS_EACH} s each"
passed=0
failed=0
for target in "${targets[@]}"; do
    binary="$BUILD/fuzz/fuzz_$target"
    seeds="$ROOT/fuzz/corpus/$target"
    work="$scratch/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    if [[ ! -x "$binary" ]]; then
        echo "fuzz $target: no such target"
        failed=$((failed + 1))
        continue
    fi
    seed_count=0
    if [[ -d "$seeds" ]]; then
        cp -a "$seeds/." "$work/corpus/"
        seed_count=$(find "$seeds" -type f | wc -l)
    fi
    status=0
    "$binary" -max_total_time="$SECONDS_EACH" -timeout="$TIMEOUT_EACH" -rss_limit_mb="$RSS_LIMIT_MB" \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    inputs=$(find "$work/corpus" -type f | wc -l)
    verdict=OK
    if [[ $status -ne 0 ]]; then
        if grep -q "ERROR: LeakSanitizer" "$work/log"; then
            verdict=LEAK
        elif grep -q "ERROR: libFuzzer: timeout" "$work/log"; then
            verdict=TIMEOUT
        elif grep -q -e "ERROR: libFuzzer: out-of-memory" -e "malloc limit" "$work/log"; then
            verdict=OOM
        else
            verdict=CRASH
        fi
    fi
    echo "fuzz $target: ${executions:-0} executions, corpus $seed_count -> $inputs inputs, $verdict"
    if [[ $verdict == OK ]]; then
        passed=$((passed + 1))
        continue
    fi
    failed=$((failed + 1))
    findings="$BUILD/findings/$target"
    mkdir -p "$findings"
    cp -a "$work/artifacts/." "$findings/" 2>/dev/null || true
    cp "$work/log" "$findings/log.txt"
    grep -E -m 12 -A 12 "ERROR:|fuzz check failed|runtime error" "$work/log" | sed 's/^/    /' | head -40 || true
    echo "    the input and the whole log are in $findings"
done

echo "fuzz: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
