# shellcheck shell=bash
# Helpers for the end-to-end tests of qmp, on top of lib.sh: qmp's own window
# geometry, waiting for its dialogs, typing into them and reading its pixels in
# canvas coordinates. Source lib.sh first.
#
# Geometry: under a bare X server the window has no decorations; its client area
# (974 x 646) is the bottom of the window, below the menu bar. Picture1 lies on
# the client area at (5, 35) with a two-pixel frame, so the canvas's client area
# starts 7 px right and 37 px down from the client area's corner.

QMP_TITLE='Quillmap \[Beta\]'

# qmp_wait_window: waits for qmp's main window; sets WID, WIN_*, CANVAS_X/Y.
qmp_wait_window() {
    WID=$(timeout "$E2E_TIMEOUT" xdotool search --sync --onlyvisible --name "^$QMP_TITLE\$" | head -n 1) ||
        e2e_fail "no qmp window within ${E2E_TIMEOUT}s"
    [ -n "$WID" ] || e2e_fail "no qmp window"
    # shellcheck disable=SC2034  # getwindowgeometry sets all of these
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    # shellcheck disable=SC2034  # for the test scripts
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
    CLIENT_X=$WIN_X
    CLIENT_Y=$((WIN_Y + WIN_H - 646))
    CANVAS_X=$((CLIENT_X + 7))
    CANVAS_Y=$((CLIENT_Y + 37))
}

# The number of the program's visible top-level windows (main window, dialogs).
qmp_window_count() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l; }

# qmp_wait_dialog: waits until a second window (a dialog) is up and has the focus.
qmp_wait_dialog() {
    e2e_wait_for "$E2E_TIMEOUT" qmp_dialog_up || e2e_fail "no dialog opened"
    local dialog
    dialog=$(xdotool search --onlyvisible --pid "$APP_PID" | grep -vx "$WID" | tail -n 1)
    e2e_wait_for 3 qmp_has_focus "$dialog" && return
    xdotool windowfocus "$dialog"
    e2e_wait_for "$E2E_TIMEOUT" qmp_has_focus "$dialog" || e2e_fail "the dialog did not take the focus"
}

qmp_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

qmp_dialog_up() { [ "$(qmp_window_count)" -ge 2 ]; }
qmp_dialog_closed() { [ "$(qmp_window_count)" -le 1 ]; }

# qmp_file_dialog PATH: types the path into the file dialog that is up and
# confirms it. Return may first only close the name completer's list, so it is
# repeated until the dialog is gone.
qmp_file_dialog() {
    qmp_wait_dialog
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 5 "$1"
    local tries=0
    until qmp_dialog_closed; do
        tries=$((tries + 1))
        [ "$tries" -le 5 ] || e2e_fail "the file dialog did not take $1"
        xdotool key --clearmodifiers Return
        e2e_wait_for 2 qmp_dialog_closed || true
    done
}

# qmp_menu KEYS...: opens the menu by its access key and chooses an item by its
# access key, e.g. qmp_menu alt+e r.
qmp_menu() {
    xdotool windowfocus --sync "$WID" 2>/dev/null || xdotool windowfocus "$WID"
    local key
    for key in "$@"; do xdotool key --clearmodifiers "$key"; done
}

# Canvas client pixels (x, y) as screen positions.
qmp_at() { echo "$((CANVAS_X + $1)),$((CANVAS_Y + $2))"; }
qmp_move() { xdotool mousemove "$((CANVAS_X + $1))" "$((CANVAS_Y + $2))"; }
qmp_click() {
    qmp_move "$1" "$2"
    xdotool click "${3:-1}"
}

# qmp_green SHOT x y w h: how many pixels of the canvas region are selection green.
qmp_green() {
    convert "$1" -crop "$4x$5+$((CANVAS_X + $2))+$((CANVAS_Y + $3))" +repage \
        -fx 'g > 0.6 && r < 0.4 && b < 0.4' -format '%[fx:round(mean*w*h)]' info:
}

# qmp_marks SHOT x y w h: how many pixels of the canvas region are not white,
# whatever their colour (text drawn black or selection green alike).
qmp_marks() {
    convert "$1" -crop "$4x$5+$((CANVAS_X + $2))+$((CANVAS_Y + $3))" +repage \
        -fx 'r < 0.9 || g < 0.9 || b < 0.9' -format '%[fx:round(mean*w*h)]' info:
}

# qmp_blank SHOT x y w h: succeeds when the canvas region is white throughout.
qmp_blank() {
    [ "$(convert "$1" -crop "$4x$5+$((CANVAS_X + $2))+$((CANVAS_Y + $3))" +repage \
        -format '%[fx:minima.r * minima.g * minima.b]' info:)" = 1 ]
}

# qmp_expect SHOT "NAME|x,y|R,G,B"...: like e2e_expect_pixels, with canvas points.
qmp_expect() {
    local shot=$1 check args=()
    shift
    for check in "$@"; do
        local name=${check%%|*} rest=${check#*|}
        local point=${rest%%|*} want=${rest#*|}
        args+=("$name|$(qmp_at "${point%,*}" "${point#*,}")|$want")
    done
    e2e_expect_pixels "$shot" "${args[@]}"
}

# qmp_wait_pixels SHOT "NAME|x,y|R,G,B"...: screenshots until all the canvas
# points have their colours; then fails naming the first that has not.
qmp_wait_pixels() {
    e2e_wait_for "$E2E_TIMEOUT" qmp_shot_shows "$@" || qmp_expect "$@"
}

qmp_shot_shows() {
    e2e_shot "$1"
    (qmp_expect "$@") 2>/dev/null
}
