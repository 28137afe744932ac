#!/usr/bin/env bash
# Smoke test of the real program: it starts, shows the canvas with the title
# block where it belongs and Chinese text drawn, and ends through its Exit key.
# Usage: smoke.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
shot="$out/smoke.ppm"

e2e_start "$program" "$out/smoke.log"
e2e_wait_window Quillmap
echo "window $WID at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H; canvas client area at $CANVAS_X,$CANVAS_Y"
[ "$WIN_W" -eq 984 ] || e2e_fail "window width $WIN_W, expected 984"

# The title block frame's top-left corner at (11500, 8000) twips = (767, 533) px.
frame_x=$((CANVAS_X + 767))
frame_y=$((CANVAS_Y + 533))
painted() {
    e2e_shot "$shot"
    [ "$(e2e_pixels "$shot" "$frame_x,$((frame_y + 45))" "$((CANVAS_X + 480)),$((CANVAS_Y + 300))" | tr '\n' ' ')" = \
        "0,0,0 255,255,255 " ]
}
e2e_await "$E2E_TIMEOUT" painted || e2e_fail "canvas not painted: see $shot"
convert "$shot" "$out/smoke.png"

black=0,0,0 white=255,255,255
e2e_expect_pixels "$shot" \
    "frame top edge|$((frame_x + 30)),$frame_y|$black" \
    "frame bottom edge|$((frame_x + 30)),$((frame_y + 90))|$black" \
    "frame right edge|$((frame_x + 185)),$((frame_y + 45))|$black" \
    "column divider|$((CANVAS_X + 829)),$((frame_y + 10))|$black" \
    "left of the frame|$((frame_x - 1)),$((frame_y + 45))|$white" \
    "inside the frame|$((frame_x + 30)),$((frame_y + 1))|$white" \
    "canvas top-left|$CANVAS_X,$CANVAS_Y|$white"
[ "$(e2e_pixel "$shot" $((CANVAS_X - 1)) $((CANVAS_Y + 100)))" != "$white" ] ||
    e2e_fail "the canvas has no frame (see $shot)"

# Text: "编号:" at (400, 400) twips, the title centred along the top.
number_ink=$(e2e_ink "$shot" $((CANVAS_X + 20)) $((CANVAS_Y + 20)) 60 30)
title_ink=$(e2e_ink "$shot" $((CANVAS_X + 300)) $((CANVAS_Y + 20)) 380 40)
echo "ink: number $number_ink px, title $title_ink px"
[ "$number_ink" -gt 20 ] || e2e_fail "no number field text (see $shot)"
[ "$title_ink" -gt 150 ] || e2e_fail "no title text (see $shot)"

# Exit through the File menu's shortcut.
e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: quillmap started, painted its canvas and closed"
