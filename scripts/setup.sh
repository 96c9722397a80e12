#!/usr/bin/env bash
# Vantor set-up for a fresh Debian 12 machine, run as root or as a user who may use sudo (it is
# called only for what needs it: installing packages, starting the test printer).
#   scripts/setup.sh run    install what is missing, build the programs, assemble
#                           build/release/Vantor and start the station
#   scripts/setup.sh test   the same set-up, then the whole test suite (normal, ASan+UBSan, TSan,
#                           fuzzing, the Debian package installed and used)
#   scripts/setup.sh build  the set-up alone (programs only)
#   scripts/setup.sh package  the set-up, then the Debian package
#                           build/release/package/vantor_<version>_amd64.deb
# Both build in build/release with the same compiler flags, so whichever runs second reuses the
# first one's compiler cache; "run" leaves out the tests and benchmarks.
# Every step is idempotent: packages already installed are not fetched again and the builds are
# incremental.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
MODE=${1:-run}

# What the programs need to build and run.
PROGRAM_PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-qpa-plugins libgl-dev
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-x gstreamer1.0-alsa
    gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
    libirrlicht-dev libjpeg-dev libx11-dev
    fonts-wqy-zenhei libgl1-mesa-dri imagemagick
    cups libcups2-dev libfontconfig-dev
    libcpp-httplib-dev libqrencode-dev libzbar-dev
    syncthing
)
# What the tests add: the test framework, a private X display, the test printer's tools, the
# fuzzing compiler, the QR code reader, the browser and its driver for the guests' pages, a load
# tool for the photo server's benchmark.
TEST_PACKAGES=(
    clang-format libgtest-dev libgmock-dev libbenchmark-dev gstreamer1.0-tools
    xvfb xauth x11-utils mesa-utils cups-client poppler-utils
    clang libclang-rt-14-dev libxtst-dev lintian
    zbar-tools chromium chromium-driver python3-selenium nghttp2-client
)
# What building the Debian package adds: dpkg-shlibdeps (dpkg-dev) and file, through which CPack
# finds the programs' library dependencies.
PACKAGE_PACKAGES=(dpkg-dev file)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

# install_packages NAME...: installs those of the packages that are missing
install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        if [ -n "$SUDO" ] && ! command -v sudo >/dev/null 2>&1; then
            echo "These packages are missing and installing them needs root: run this as root, or" >&2
            echo "install sudo, or install them yourself: ${missing[*]}" >&2
            exit 1
        fi
        $SUDO apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# build_tree PRESET DIR: configures DIR with the preset of CMakePresets.json (again when the preset
# or the presets file changed) and builds the given TARGETS (default: all)
build_tree() {
    local preset=$1 dir=$2
    local targets=${TARGETS:-all}
    local stamp="$dir/vantor-configure-preset"
    local wanted
    wanted="$preset $(sha1sum "$ROOT/CMakePresets.json" | cut -d' ' -f1)"
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
        (cd "$ROOT" && cmake --preset "$preset")
        echo "$wanted" >"$stamp"
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

# build_package PRESET: builds the programs and the content in build/release with the preset, then
# the Debian package, whose path it leaves in PACKAGE_FILE.
build_package() {
    TARGETS="Travenor Halvix VantorGallery vantor_content vantor_package_files" build_tree "$1" build/release || return 1
    rm -f build/release/package/vantor_*.deb
    (cd build/release && cpack -G DEB) || return 1
    PACKAGE_FILE=$(ls "$ROOT"/build/release/package/vantor_*_amd64.deb) || return 1
}

PASSED=0
FAILED=0
SKIPPED=0

# package_check NAME COMMAND...: one check of the package step, counted in PASSED / FAILED.
package_check() {
    local name=$1; shift
    if "$@"; then
        echo "package: $name: OK"
        PASSED=$((PASSED + 1))
    else
        echo "FAILED: package: $name" >&2
        FAILED=$((FAILED + 1))
        return 1
    fi
}

# The Debian package as a user gets it: built, checked by lintian (no errors), installed with
# apt-get, and the installed station started as an ordinary user (PACKAGE_TEST_USER, created when
# missing) on the test display, where it takes one sign-in whose files must land in that user's
# ~/Vantor/Storage, a folder made on that first start. Needs root (directly or through sudo) for
# apt-get and for starting a program as another user; each check that cannot run fails.
PACKAGE_TEST_USER=vantortest
test_package() {
    echo "== The Debian package (build, lintian, apt-get install, a sign-in as $PACKAGE_TEST_USER)"
    if ! package_check "build" build_package "$@"; then
        FAILED=$((FAILED + 4))
        echo "FAILED: package: lintian, install, kiosk start and sign-in not run: no package" >&2
        return
    fi
    package_check "lintian without errors" lintian --fail-on error "$PACKAGE_FILE" || true
    if ! package_check "apt-get install" $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install \
        -y -qq --reinstall "$PACKAGE_FILE"; then
        FAILED=$((FAILED + 2))
        echo "FAILED: package: kiosk start and sign-in not checked: not installed" >&2
        return
    fi
    package_check "kiosk start installed and switched off" \
        grep -qx 'Hidden=true' /etc/xdg/autostart/vantor-kiosk.desktop || true
    if ! id "$PACKAGE_TEST_USER" >/dev/null 2>&1; then
        $SUDO useradd -m "$PACKAGE_TEST_USER" || echo "the user $PACKAGE_TEST_USER could not be made" >&2
    fi
    # A first start: the user's folder is made anew from the installed defaults.
    local home
    home=$(getent passwd "$PACKAGE_TEST_USER" | cut -d: -f6)
    [ -n "$home" ] && $SUDO rm -rf "$home/Vantor"
    package_check "a sign-in of the installed station as $PACKAGE_TEST_USER" \
        $SUDO env DISPLAY="$DISPLAY" QT_QPA_FONTDIR="$QT_QPA_FONTDIR" \
        "$ROOT/build/release/tests/installed_station_check" "$PACKAGE_TEST_USER" || true
}

# run_ctest DIR PROGRAMS [LABEL]: runs the tests of DIR (those with LABEL when given) and adds their
# counts to PASSED / FAILED / SKIPPED. PROGRAMS names the file that lists the test programs the run
# must hold: one that contributes no test (it lost its tests to a broken property, say) is a failure.
run_ctest() {
    local dir=$1 programs=$2 label=${3:-}
    local select=()
    [ -n "$label" ] && select=(-L "$label")
    local log
    log=$(mktemp)
    set +e
    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" "${select[@]}" 2>&1 | tee "$log"
    set -e
    local line total failed skipped
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1 || true)
    if [ -n "$line" ]; then
        failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
        total=$(echo "$line" | sed -E 's/.* tests failed out of ([0-9]+).*/\1/')
        # ctest counts a skipped test among the passed ones and lists it under "did not run".
        skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \((Skipped|Disabled)\)$' "$log" || true)
        PASSED=$((PASSED + total - failed - skipped))
        FAILED=$((FAILED + failed))
        SKIPPED=$((SKIPPED + skipped))
    else
        # No summary (nothing ran, or ctest itself failed) counts as a failure, never as a pass.
        FAILED=$((FAILED + 1))
    fi
    rm -f "$log"
    local listed program
    listed=$(ctest --test-dir "$dir" --show-only=json-v1 "${select[@]}" 2>/dev/null || true)
    while read -r program; do
        [ -z "$program" ] && continue
        if ! grep -q "/tests/$program\"" <<<"$listed"; then
            echo "FAILED: the test program $program contributed no test to this run" >&2
            FAILED=$((FAILED + 1))
        fi
    done <"$dir/$programs"
}

install_packages "${PROGRAM_PACKAGES[@]}"
if [ "$MODE" = test ]; then
    install_packages "${TEST_PACKAGES[@]}"
fi
if [ "$MODE" = test ] || [ "$MODE" = package ]; then
    install_packages "${PACKAGE_PACKAGES[@]}"
fi
# ccache keeps its cache in its usual per-user place; with paths taken relative to the clone, a fresh
# clone on the same machine builds from the cache.
export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
case "$MODE" in
    build | run)
        # Only the programs and the installation folder; the tests and benchmarks come with "test".
        TARGETS="Travenor Halvix VantorGallery vantor_content" build_tree station build/release
        if [ "$MODE" = run ]; then
            exec build/release/Vantor/Travenor
        fi
        ;;
    package)
        # The same build tree and options as "run", so that one reuses the other's objects.
        build_package station
        echo "Package: $PACKAGE_FILE"
        ;;
    test)
        echo "== Source format (clang-format)"
        if git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
            git -C "$ROOT" ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        fi
        build_tree release build/release
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
        run_ctest build/release test-programs.txt
        echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
        TARGETS=all_tests build_tree asan build/asan
        # Leaks are errors; tests/support/lsan.supp names what the libraries below keep by design.
        # intercept_tls_get_addr=0: this runtime (GCC 12) takes a thread-local block of a loaded
        # library that happens to start 16 bytes into a page for the header of an old glibc, and
        # records the two words before it as that block's place and size; the leak check at the
        # end of a passed test then dies reading that range ("Tracer caught signal 11 ...
        # LeakSanitizer has encountered a fatal error"). Without the interception those blocks are
        # still found through glibc's own table of them, which the check reads as heap.
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 LSAN_OPTIONS="suppressions=$ROOT/tests/support/lsan.supp" \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build/asan test-programs.txt
        echo "== Threaded tests under ThreadSanitizer"
        TARGETS=threaded_tests build_tree tsan build/tsan
        # report_mutex_bugs=0: the GL and X libraries under the wall's window tests call the lock
        # functions through pointers of their own, which the tool reads as unbalanced locks. Data
        # races are still reported, and the wall's own lock stops the program on a wrong release.
        TSAN_OPTIONS="halt_on_error=1 report_mutex_bugs=0 suppressions=$ROOT/tests/support/tsan.supp" \
            run_ctest build/tsan threaded-test-programs.txt threaded
        echo "== Fuzz targets (libFuzzer with ASan + UBSan, ${VANTOR_FUZZ_SECONDS:=25} s each)"
        export VANTOR_FUZZ_SECONDS
        fuzz_log=$(mktemp)
        bash scripts/fuzz.sh 2>&1 | tee "$fuzz_log" || true
        fuzz_counts=$(sed -n 's/^fuzz: \([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p' "$fuzz_log" | tail -1)
        if [ -n "$fuzz_counts" ]; then
            read -r fuzz_passed fuzz_failed <<<"$fuzz_counts"
            PASSED=$((PASSED + fuzz_passed))
            FAILED=$((FAILED + fuzz_failed))
        else
            echo "FAILED: the fuzz targets did not run to their summary" >&2
            FAILED=$((FAILED + 1))
        fi
        rm -f "$fuzz_log"
        test_package release
        echo
        echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"
        [ "$FAILED" -eq 0 ]
        ;;
    *)
        echo "usage: $0 run|test|build|package" >&2
        exit 2
        ;;
esac
