# shellcheck shell=bash
# Helpers for end-to-end tests that drive the real program on an X display with
# xdotool and read its pixels from screenshots. Source this from a test script.
#
# Geometry: the main window has no decorations of its own under a bare X server;
# its client area (984 x 688) is the bottom of the window, below the menu bar, and
# the canvas's client area starts 14 px right and 39 px down from that.

E2E_TIMEOUT=${E2E_TIMEOUT:-20}

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# Exits with ctest's skip code when there is no display to run on.
e2e_require_display() {
    if [ -z "${DISPLAY:-}" ]; then
        echo "no DISPLAY set: end-to-end test skipped"
        exit 77
    fi
    local tool
    for tool in xdotool import convert; do
        command -v "$tool" >/dev/null || e2e_fail "$tool is not installed"
    done
}

# e2e_start PROGRAM LOGFILE: starts it in a fresh working folder; sets APP_PID.
e2e_start() {
    local program
    program=$(realpath "$1") || e2e_fail "no program $1"
    E2E_WORKDIR=$(mktemp -d)
    (cd "$E2E_WORKDIR" && QT_QPA_PLATFORM=xcb exec "$program") >"$2" 2>&1 &
    APP_PID=$!
    trap e2e_cleanup EXIT
}

e2e_cleanup() {
    if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
    fi
    [ -n "${E2E_WORKDIR:-}" ] && rm -rf "$E2E_WORKDIR"
    return 0
}

# e2e_wait_window TITLE: waits until a visible window with exactly that title is
# mapped; sets WID, WIN_X, WIN_Y, WIN_W, WIN_H and the client/canvas origins.
e2e_wait_window() {
    WID=$(timeout "$E2E_TIMEOUT" xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1) ||
        e2e_fail "no window named '$1' within ${E2E_TIMEOUT}s"
    [ -n "$WID" ] || e2e_fail "no window named '$1'"
    # shellcheck disable=SC2034  # getwindowgeometry sets all of these
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    # shellcheck disable=SC2034  # for the test scripts
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
    CLIENT_X=$WIN_X
    CLIENT_Y=$((WIN_Y + WIN_H - 688))
    CANVAS_X=$((CLIENT_X + 14))
    CANVAS_Y=$((CLIENT_Y + 39))
}

# e2e_shot FILE: a screenshot of the whole screen. PPM reads and writes far faster
# than PNG; convert the one worth keeping.
e2e_shot() { import -window root "$1"; }

# e2e_pixels FILE X,Y...: the colour of each screen pixel as "r,g,b" (0..255), one
# a line, read in a single pass over the file.
e2e_pixels() {
    local file=$1 format="" point x y
    shift
    for point in "$@"; do
        x=${point%,*} y=${point#*,}
        format+="%[fx:round(255*p{$x,$y}.r)],%[fx:round(255*p{$x,$y}.g)],%[fx:round(255*p{$x,$y}.b)]\n"
    done
    convert "$file" -format "$format" info:
}

# e2e_pixel FILE X Y: the colour of one pixel.
e2e_pixel() { e2e_pixels "$1" "$2,$3"; }

# e2e_expect_pixels FILE "NAME|X,Y|R,G,B"...: fails naming the first pixel whose
# colour differs.
e2e_expect_pixels() {
    local file=$1 check points=() got i=0
    shift
    for check in "$@"; do
        check=${check#*|}
        points+=("${check%%|*}")
    done
    mapfile -t got < <(e2e_pixels "$file" "${points[@]}")
    for check in "$@"; do
        local name=${check%%|*} want=${check##*|}
        [ "${got[$i]:-}" = "$want" ] ||
            e2e_fail "$name at ${points[$i]} is ${got[$i]:-unreadable}, expected $want (see $file)"
        i=$((i + 1))
    done
}

# e2e_ink FILE X Y W H: how many pixels of the region are darker than mid-grey.
e2e_ink() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 60% -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

# e2e_wait_for SECONDS COMMAND...: retries the command until it succeeds.
e2e_wait_for() {
    local limit=$(( $1 * 10 )) i=0
    shift
    until "$@"; do
        i=$((i + 1))
        [ "$i" -lt "$limit" ] || return 1
        sleep 0.1
    done
}

# e2e_wait_exit SECONDS: waits for the program to end; fails if it does not, or
# ends with an error status.
e2e_wait_exit() {
    e2e_wait_for "$1" eval '! kill -0 "$APP_PID" 2>/dev/null' || e2e_fail "the program did not end within $1s"
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=
    [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
}
