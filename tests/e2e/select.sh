#!/usr/bin/env bash
# Several elements at once and arrows that stay on their shapes, as a user works:
# two rectangles and a diamond joined by a straight arrow and a polyline arrow
# whose ends snap onto the shapes; the shapes moved and resized by dragging, a
# rubber band and Ctrl+click with the arrow keys; the tail handle of an arrow lying
# on a shape dragged off it (the arrow's end moves, not the shape); three shapes
# aligned from the Edit menu. Each time the saved file is read with qmptool: every
# glued end is still on its connection point.
# Usage: select.sh PROGRAM QMPTOOL OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
qmptool=$2
shot="$out/select.ppm"

# where_ends: each arrow's two ends as the saved file has them (glue_check.py).
where_ends() { "$qmptool" dump "$file" | python3 "$E2E_DIR/glue_check.py"; }
# saved EXPECTED: Ctrl+S, then the file's arrow ends must read EXPECTED.
saved() {
    local before=
    [ -f "$file" ] && before=$(stat -c %.9Y "$file")
    e2e_key ctrl+s
    # shellcheck disable=SC2317  # run through e2e_wait_for
    written() { [ -f "$file" ] && [ "$(stat -c %.9Y "$file")" != "$before" ]; }
    [ -n "$before" ] || e2e_file_dialog save "$file"
    e2e_wait_for "$E2E_TIMEOUT" written || e2e_fail "nothing saved after $2"
    local got
    got=$(where_ends)
    [ "$got" = "$1" ] || e2e_fail "arrow ends after $2: $got (expected $1)"
}

# snap X Y: the pointer three pixels off the connection point at (X, Y); the
# program's snapping pulls it onto the point.
pointer_at() { [ "$(xdotool getmouselocation --shell | head -n 2 | tr '\n' ' ')" = "X=$1 Y=$2 " ]; }
snap() {
    e2e_move $(($1 + 3)) $(($2 + 3))
    e2e_wait_for "$E2E_TIMEOUT" pointer_at "$(e2e_screen_x "$1")" "$(e2e_screen_y "$2")" ||
        e2e_fail "the pointer was not pulled onto ($1, $2)"
}

e2e_start "$program" "$out/select.log"
file="$E2E_WORKDIR/glue.QMP"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"

# Rectangle A at (100, 100): 131 x 81 pixels, its divider 41 below its top, so its
# right point is (231, 141). A right arrow is 80 pixels long: rectangle B goes
# where its head lands. The diamond (160 x 80) at (200, 300): left point (200, 340).
e2e_drop_rectangle 100 100 "$shot"
e2e_drop_rectangle 311 100 "$shot"
e2e_toolbar 2
e2e_move 200 300
e2e_wait_pixels "$shot" "new diamond|280,340|$BLACK"
xdotool click 1
e2e_toolbar 5
snap 231 141
xdotool click 1
e2e_wait_pixels "$shot" "straight arrow|270,141|$GREEN"
# The polyline from A's bottom point (165, 181) down, then right to the diamond.
e2e_toolbar 8
snap 165 181
xdotool click 1
e2e_move 165 340
xdotool click 1
snap 200 340
xdotool click 3
e2e_wait_pixels "$out/1-drawn.ppm" "polyline|165,300|$BLACK" "its last segment|185,340|$BLACK"
both='arrow 1: shape1.right shape2.left
arrow 2: shape1.bottom diamond1.left axis-parallel'
saved "$both" "drawing"

# A dragged by an empty corner, B resized by its bottom-right handle.
e2e_drag 104 104 124 134
e2e_wait_pixels "$shot" "moved A|184,130|$GREEN" "where A was|160,100|$WHITE"
e2e_click 315 104
e2e_wait_pixels "$shot" "selected B|370,100|$GREEN"
e2e_drag 442 181 472 221
e2e_wait_count "$out/2-moved.ppm" 466 195 10 10 "$GREEN" 8  # its right edge, 30 pixels on
saved "$both" "a drag and a resize"

# A rubber band round the diamond, Ctrl+click on B; Shift+Down moves both ten
# pixels, Right one more.
e2e_drag 196 286 370 392
e2e_wait_pixels "$shot" "banded diamond|280,300|$GREEN"
e2e_move 315 115
xdotool keydown ctrl click 1 keyup ctrl
e2e_wait_pixels "$shot" "B joined|370,100|$GREEN" "the diamond still|280,300|$GREEN"
e2e_key shift+Down
e2e_key Right
e2e_wait_pixels "$out/3-nudged.ppm" "moved diamond|260,350|$GREEN" "moved B|380,110|$GREEN" "A stays|184,130|$BLACK"
saved "$both" "the arrow keys"

# The tail of arrow 1 lies on A's right point, over A's edge: selected by a click
# on its middle, its tail handle takes the press
# and goes where it is dragged.
read -r tail_x tail_y mid_x mid_y < <("$qmptool" dump "$file" | python3 -c '
import json, sys
d = json.load(sys.stdin)
s = d["segments"][d["arrows"][0]["record"]["slots"][1] - 1]["entry"]
print(*(round(v / 15) for v in (s["x1"], s["y1"], (s["x1"] + s["x2"]) / 2, (s["y1"] + s["y2"]) / 2)))')
e2e_click "$mid_x" "$mid_y"
E2E_FUZZ=30% e2e_wait_count "$shot" $((mid_x - 3)) $((mid_y - 3)) 7 7 "$GREEN" 3  # the arrow, selected
e2e_drag "$tail_x" "$tail_y" "$tail_x" $((tail_y + 60))
e2e_wait_pixels "$out/4-tail.ppm" "A where it was|184,130|$BLACK"
saved 'arrow 1: free shape2.left
arrow 2: shape1.bottom diamond1.left axis-parallel' "dragging the tail"

# All three aligned to the top from the Edit menu (its access keys): the top of B.
# Saving left nothing selected: A by a click, B and the diamond by Ctrl+click.
e2e_click 123 133
e2e_wait_pixels "$shot" "A|184,130|$GREEN"
for at in "315 125" "215 350"; do
    e2e_move $at
    xdotool keydown ctrl click 1 keyup ctrl
done
e2e_wait_pixels "$shot" "A|184,130|$GREEN" "B|380,110|$GREEN" "the diamond|260,350|$GREEN"
e2e_key alt+e
e2e_wait_popup
e2e_menu_key j
e2e_wait_popup "$POPUP"
e2e_menu_key t
e2e_wait_pixels "$out/5-aligned.ppm" "A at B's top|184,110|$GREEN" "the diamond's middle|240,150|$GREEN" \
    "where A was|124,130|$WHITE"
saved 'arrow 1: free shape2.left
arrow 2: shape1.bottom diamond1.left axis-parallel' "aligning"

# The diamond dragged below A, its left tip three pixels right of A's left edge:
# it lines up with A, and a guide runs through both while the button is held.
# Saved, its left edge is A's.
e2e_click 600 500
e2e_wait_pixels "$shot" "A|184,110|$BLACK" "the diamond|240,150|$BLACK"
e2e_move 225 150
xdotool mousedown 1
for i in 1 2 3 4 5; do e2e_move $((225 - 85 * i / 5)) $((150 + 250 * i / 5)); done
e2e_wait_pixels "$out/6-guide.ppm" "the guide between them|120,280|$GUIDE"
xdotool mouseup 1
e2e_wait_pixels "$shot" "no guide|120,280|$WHITE"
saved 'arrow 1: free shape2.left
arrow 2: shape1.bottom diamond1.left axis-parallel' "a drag lined up by a guide"
"$qmptool" dump "$file" | python3 -c '
import json, sys
d = json.load(sys.stdin)
a, k = d["shapes"][0]["entry"]["left"], d["diamonds"][0]["entry"]["left"]
sys.exit(0 if a == k else f"the diamond at {k}, A at {a}")' || e2e_fail "the diamond was not lined up with A"

for s in 1-drawn 2-moved 3-nudged 4-tail 5-aligned 6-guide; do convert "$out/$s.ppm" "$out/$s.png"; done
e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
