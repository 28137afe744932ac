# shellcheck shell=bash
# Helpers for the end-to-end tests of qmp, on top of lib.sh: qmp's own window
# geometry, its menus by access keys and its pixels in canvas coordinates.
# Source lib.sh first.
#
# Geometry: under a bare X server the window has no decorations; its client area
# (974 x 646) is the bottom of the window, below the menu bar. Picture1 lies on
# the client area at (5, 35) with a two-pixel frame, so the canvas's client area
# starts 7 px right and 37 px down from the client area's corner.

QMP_TITLE='Quillmap \[Beta\]'

# qmp_wait_window: waits for qmp's main window; sets WID, WIN_*, CANVAS_X/Y.
qmp_wait_window() { e2e_wait_window "$QMP_TITLE" 646 7 37 0; }

# qmp_menu KEY [ITEM_KEY]: a shortcut (qmp_menu ctrl+s), or a menu opened by its
# access key and an item chosen by its own (qmp_menu alt+e o).
qmp_menu() {
    e2e_key "$1"
    [ $# -gt 1 ] || return 0
    e2e_wait_popup
    local menu=$POPUP
    e2e_menu_key "$2"
    e2e_wait_gone "$menu"
}

# Canvas client pixels (x, y) as screen positions.
# qmp_toolbar N: clicks the Nth button of the toolbar.
qmp_toolbar() { xdotool mousemove "$((CLIENT_X + 16 + 25 * ($1 - 1)))" "$((CLIENT_Y + 16))" click 1; }

# qmp_place_label SHOT X Y: a new label follows the pointer to (X, Y), a click
# drops and selects it there and a second click opens its editor box.
qmp_place_label() {
    local shot=$1 x=$2 y=$3
    qmp_toolbar 5  # 标签
    qmp_move "$x" "$y"
    # shellcheck disable=SC2317  # run through e2e_await
    _qmp_label_shown() { e2e_shot "$shot"; [ "$(qmp_marks "$shot" "$x" "$y" 80 16)" -gt 20 ]; }
    # shellcheck disable=SC2317
    _qmp_label_selected() { e2e_shot "$shot"; [ "$(qmp_green "$shot" "$x" "$y" 80 16)" -gt 20 ]; }
    e2e_await "$E2E_TIMEOUT" _qmp_label_shown || e2e_fail "the new label did not come to the pointer (see $shot)"
    xdotool click 1
    e2e_await "$E2E_TIMEOUT" _qmp_label_selected || e2e_fail "the label was not selected (see $shot)"
    xdotool click 1
    qmp_wait_pixels "$shot" "editor box frame|$((x + 30)),$y|128,128,128"
}

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
    e2e_await "$E2E_TIMEOUT" qmp_shot_shows "$@" || qmp_expect "$@"
}

qmp_shot_shows() {
    e2e_shot "$1"
    (qmp_expect "$@") 2>/dev/null
}
