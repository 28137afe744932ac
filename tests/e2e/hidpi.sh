#!/usr/bin/env bash
# The real program at a device pixel ratio of 2 (QT_SCALE_FACTOR=2) on an X
# server of its own, large enough for the doubled window: the layout and the
# drawing keep their sizes in twips, lines are exactly two device pixels wide, and
# text and icons are drawn at the full resolution rather than magnified.
# Usage: hidpi.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
command -v Xvfb >/dev/null || e2e_fail "Xvfb is not installed"
shot="$out/hidpi.ppm"

# A screen of 2048 x 1600 for a window of 1968 x 1416 and more.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 2048x1600x24 -nolisten tcp 3>"$display_file" >"$out/xvfb.log" 2>&1 &
xvfb_pid=$!
stop_all() {
    e2e_cleanup $?
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -f "$display_file"
}
trap stop_all EXIT
e2e_wait_for 10 test -s "$display_file" || e2e_fail "Xvfb did not start (see $out/xvfb.log)"
DISPLAY=":$(head -n 1 "$display_file")"
export DISPLAY

export QT_SCALE_FACTOR=2 E2E_SCALE=2
e2e_start "$program" "$out/hidpi.log"
trap stop_all EXIT  # e2e_start set its own
e2e_wait_window Quillmap
[ "$WIN_W" -eq 1968 ] || e2e_fail "window width $WIN_W, expected 1968 at scale 2"
e2e_wait_painted "$shot"

# A rectangle dropped at (300, 300): 131 x 81 logical pixels as at scale 1, its
# outline two device pixels wide.
e2e_toolbar 1
e2e_move 300 300
e2e_wait_pixels "$shot" "top edge|360,300|$BLACK"
xdotool click 1
e2e_wait_pixels "$shot" "top edge|360,300|$GREEN" "right edge|430,340|$GREEN" "past the right edge|431,340|$WHITE" \
    "bottom edge|360,380|$GREEN" "below it|360,381|$WHITE"
x=$(e2e_screen_x 360) y=$(e2e_screen_y 300)
[ "$(e2e_pixels "$shot" "$x,$((y + 1))" "$x,$((y + 2))" | tr '\n' ' ')" = "0,255,0 255,255,255 " ] ||
    e2e_fail "the top edge is not two device pixels wide (see $shot)"
convert "$shot" "$out/hidpi.png"

# Drawn at full resolution: a picture magnified from scale 1 is made of 2 x 2
# blocks of one colour, so halving and doubling it again changes nothing.
magnified_difference() {  # SCREEN_X SCREEN_Y W H
    convert "$shot" -crop "$3x$4+$1+$2" +repage "$out/region.png"
    convert "$out/region.png" -sample 50% -sample 200% "$out/blocks.png"
    compare -metric AE "$out/region.png" "$out/blocks.png" null: 2>&1 || true
}
title=$(magnified_difference "$(e2e_screen_x 380)" "$(e2e_screen_y 25)" 400 50)
icons=$(magnified_difference $((CLIENT_X + 8)) $((CLIENT_Y + 12)) 480 32)
echo "pixels that differ from a 2x magnification: title $title, toolbar icons $icons"
[ "$title" -gt 200 ] || e2e_fail "the title looks magnified, not drawn at 2x (see $out/hidpi.png)"
[ "$icons" -gt 100 ] || e2e_fail "the toolbar icons look magnified, not drawn at 2x (see $out/hidpi.png)"

e2e_key ctrl+q
e2e_answer "$E2E_QUESTION" n  # the drawing changed: No closes without saving
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: at scale 2 the layout keeps its twips and the canvas, text and icons are drawn sharp"
