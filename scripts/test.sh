#!/usr/bin/env bash
# Installs what the build and the tests need, builds with warnings as errors and
# runs every test: unit and GUI tests (Qt's offscreen platform), end-to-end tests
# on an Xvfb server this script starts and stops, then a short fuzzing run when
# the fuzz script is present. Ends non-zero when anything failed.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"

qm_install cmake ninja-build g++ qt6-base-dev qt6-base-private-dev qt6-svg-dev libfontconfig-dev qt6-qpa-plugins libgtest-dev libbenchmark-dev python3 \
    clang libclang-rt-14-dev fonts-wqy-microhei xvfb xdotool x11-utils xclip imagemagick poppler-utils git parallel \
    at-spi2-core python3-pyatspi dbus-bin librsvg2-bin inkscape locales fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6 dbus \
    libreoffice-draw-nogui

build=${QM_BUILD_DIR:-$qm_root/build-test}
qm_configure "$build" Debug -DQM_WERROR=ON
cmake --build "$build"

# An X server of our own on a display number Xvfb finds free, gone when we are.
xvfb_pid=
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap stop_xvfb EXIT
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$display_file" ]; then
    echo "Xvfb did not start:" >&2
    cat "$build/xvfb.log" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$display_file")"
export DISPLAY
rm -f "$display_file"
echo "Xvfb running on $DISPLAY"

status=0
started=$(mktemp)
if ! ctest --test-dir "$build" --output-on-failure -j "$(nproc)"; then
    status=1
    # A failed end-to-end test leaves its last screen and the open windows beside its log.
    mapfile -t artefacts < <(find "$build/tests/e2e" -name 'failure-*' -newer "$started" 2>/dev/null | sort)
    if [ ${#artefacts[@]} -gt 0 ]; then
        echo "What the failed end-to-end tests left (screenshot, open windows; their logs are beside them):"
        printf '  %s\n' "${artefacts[@]}"
    fi
fi
rm -f "$started"

fuzz="$qm_root/tests/fuzz/run.sh"
if [ -x "$fuzz" ]; then
    # The fuzzer needs a clang build of its own; keep it beside a build folder
    # the caller chose.
    if [ -n "${QM_BUILD_DIR:-}" ]; then export QM_FUZZ_BUILD_DIR=${QM_FUZZ_BUILD_DIR:-$build/fuzz}; fi
    echo "Fuzzing briefly: $fuzz 20"
    "$fuzz" 20 || status=1
fi

if [ "$status" -eq 0 ]; then echo "test.sh: all passed"; else echo "test.sh: FAILED" >&2; fi
exit "$status"
