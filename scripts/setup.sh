#!/usr/bin/env bash
# Vantor set-up for a fresh Debian 12 machine (run as root or with sudo).
#   scripts/setup.sh run    install what is missing, build, assemble build/Vantor and start the station
#   scripts/setup.sh test   the same set-up, then the whole test suite (normal, ASan+UBSan, TSan)
#   scripts/setup.sh build  the set-up alone
# Every step is idempotent: packages already installed are not fetched again and the builds are
# incremental.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
MODE=${1:-run}

PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache clang-format
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-qpa-plugins libgl-dev
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-tools gstreamer1.0-x
    gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
    libirrlicht-dev libjpeg-dev libx11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wqy-zenhei xvfb xauth x11-utils libgl1-mesa-dri mesa-utils imagemagick
    cups cups-client libcups2-dev poppler-utils libfontconfig-dev
)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# configure_and_build DIR [cmake options...]; builds the given TARGETS (default: all)
build_tree() {
    local dir=$1; shift
    local targets=${TARGETS:-all}
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja "$@"
    fi
    cmake --build "$dir" --target $targets -- -j"$(nproc)"
}

start_xvfb() {
    # A private X display for the tests that need a real window system (the wall's OpenGL).
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp +extension GLX >/tmp/vantor-xvfb-$n.log 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 1 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "Could not start Xvfb" >&2
    return 1
}

# The tests print through CUPS into PDF files: a raw queue "VantorPDF" whose backend
# (tests/support/cups/vantorpdf) writes each job's document into $VANTOR_TEST_PRINT_DIR. The
# tests take it as their default printer through PRINTER; the machine's own default stays. When
# cupsd cannot be started the printing tests fail and say so.
start_cups() {
    export VANTOR_TEST_PRINT_DIR=/var/tmp/vantor-print PRINTER=VantorPDF
    $SUDO mkdir -p "$VANTOR_TEST_PRINT_DIR"
    $SUDO chmod 1777 "$VANTOR_TEST_PRINT_DIR"
    $SUDO find "$VANTOR_TEST_PRINT_DIR" -mindepth 1 -delete
    $SUDO install -m 0700 "$ROOT/tests/support/cups/vantorpdf" /usr/lib/cups/backend/vantorpdf
    if ! lpstat -r 2>/dev/null | grep -q "is running"; then
        $SUDO /usr/sbin/cupsd || echo "cupsd could not be started" >&2
        for _ in $(seq 1 50); do
            lpstat -r 2>/dev/null | grep -q "is running" && break
            sleep 0.1
        done
    fi
    # Raw queues still work in CUPS 2.4; lpadmin only warns that they are deprecated.
    $SUDO lpadmin -p VantorPDF -E -v "vantorpdf:$VANTOR_TEST_PRINT_DIR" -m raw 2>/dev/null ||
        echo "the VantorPDF printer queue could not be made" >&2
    $SUDO lpadmin -p VantorPDF -o print-color-mode-default=color 2>/dev/null || true
    # A queue that refuses every job, as a printer out of paper or switched off does.
    $SUDO lpadmin -p VantorReject -E -v "vantorpdf:$VANTOR_TEST_PRINT_DIR" -m raw 2>/dev/null || true
    $SUDO cupsreject -r "out of paper" VantorReject 2>/dev/null || true
}

PASSED=0
FAILED=0
# run_ctest DIR [ctest options...]: adds the counts of one ctest run to PASSED / FAILED
run_ctest() {
    local dir=$1; shift
    local log
    log=$(mktemp)
    set +e
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" "$@" 2>&1 | tee "$log"
    set -e
    local line total failed
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
    if [ -n "$line" ]; then
        failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
        total=$(echo "$line" | sed -E 's/.* tests failed out of ([0-9]+).*/\1/')
        PASSED=$((PASSED + total - failed))
        FAILED=$((FAILED + failed))
    else
        # No summary (nothing ran, or ctest itself failed) counts as a failure, never as a pass.
        FAILED=$((FAILED + 1))
    fi
    rm -f "$log"
}

install_packages
# ccache keeps its cache in its usual per-user place; with paths taken relative to the clone, a fresh
# clone on the same machine builds from the cache.
export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
case "$MODE" in
    build)
        build_tree build/release
        ;;
    run)
        build_tree build/release
        exec build/release/Vantor/Travenor
        ;;
    test)
        echo "== Source format (clang-format)"
        if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
            git -C "$ROOT" ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        fi
        build_tree build/release -DVANTOR_WERROR=ON
        trap '[ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT
        start_xvfb
        start_cups
        export QT_QPA_FONTDIR=/usr/share/fonts/truetype/wqy
        # No session bus here. Without this, Qt's D-Bus thread in the programs under test has
        # libdbus fork to autolaunch one; under AddressSanitizer the child can inherit the
        # allocator's lock held by another thread and hang, and the program with it (seen as the
        # wall not answering in the process test).
        export DBUS_SESSION_BUS_ADDRESS=disabled:
        echo "== Tests (release build)"
        run_ctest build/release
        echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
        TARGETS=all_tests build_tree build/asan -DVANTOR_WERROR=ON -DVANTOR_SANITIZE=address,undefined \
            -DVANTOR_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            run_ctest build/asan
        echo "== Threaded tests under ThreadSanitizer"
        TARGETS=threaded_tests build_tree build/tsan -DVANTOR_WERROR=ON -DVANTOR_SANITIZE=thread \
            -DVANTOR_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
        # report_mutex_bugs=0: the GL and X libraries under the wall's window tests call the lock
        # functions through pointers of their own, which the tool reads as unbalanced locks. Data
        # races are still reported, and the wall's own lock stops the program on a wrong release.
        TSAN_OPTIONS="halt_on_error=1 report_mutex_bugs=0 suppressions=$ROOT/tests/support/tsan.supp" \
            run_ctest build/tsan -L threaded
        echo
        echo "$PASSED passed, $FAILED failed"
        [ "$FAILED" -eq 0 ]
        ;;
    *)
        echo "usage: $0 run|test|build" >&2
        exit 2
        ;;
esac
