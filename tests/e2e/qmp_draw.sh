#!/usr/bin/env bash
# qmp end to end: draw a rectangle, an ellipse, a diamond, a label with typed text
# and a polyline arrow; save, start a new drawing, open the file again and see the
# drawing come back; export the canvas as a BMP; exit.
# Usage: qmp_draw.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
# shellcheck source=tests/e2e/qmp_lib.sh
source "$E2E_DIR/qmp_lib.sh"
e2e_begin "$@"
rm -f "$out"/*.ppm "$out"/*.png "$out"/*.QMP "$out"/*.bmp
shot="$out/qmp.ppm"
black=0,0,0 white=255,255,255 green=0,255,0

e2e_start "$program" "$out/qmp.log"
qmp_wait_window
echo "window $WID at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H; canvas client area at $CANVAS_X,$CANVAS_Y"
[ "$WIN_W" -eq 974 ] || e2e_fail "window width $WIN_W, expected 974"
qmp_wait_pixels "$shot" "empty canvas|480,300|$white" "no title block frame|767,578|$white"
qmp_blank "$shot" 0 0 957 597 || e2e_fail "qmp did not start with an empty canvas (see $shot)"
[ "$(e2e_pixel "$shot" $((CANVAS_X - 1)) $((CANVAS_Y + 100)))" != "$white" ] || e2e_fail "the canvas has no frame"

# Toolbar buttons are 25 px apart, the first centred 16 px into the client area.

# Each new element follows the pointer; a press drops and selects it.
qmp_toolbar 1  # 矩形
qmp_move 100 100
qmp_wait_pixels "$shot" "rectangle following the pointer|160,100|$black"
xdotool click 1
qmp_wait_pixels "$shot" "selected rectangle|160,100|$green"

qmp_menu alt+e o  # 插入椭圆(&O)
qmp_move 400 100
qmp_wait_pixels "$shot" "ellipse following the pointer|400,140|$black" "rectangle let go|160,100|$black"
xdotool click 1

qmp_menu alt+e d  # 插入菱形(&D)
qmp_move 100 300
qmp_wait_pixels "$shot" "diamond following the pointer|100,340|$black"
xdotool click 1

# The label follows the pointer (Timer1) with its corner on it; a click there
# drops and selects it, a second click opens its editor box.
qmp_place_label "$shot" 400 300
e2e_enter_text "Hello qmpx"
# Del erases the x in the box; the window's Del (editDelete) must not hide the label.
e2e_key Left Delete Return
qmp_wait_pixels "$shot" "editor box closed|430,300|$white"
label_ink=$(qmp_marks "$shot" 400 300 80 16)
echo "label text: $label_ink px"
[ "$label_ink" -gt 60 ] || e2e_fail "the label is not shown after editing (see $shot)"

# Polyline arrow: two left clicks, then a right click below the second ends it
# with a head pointing down on the pointer.
qmp_menu alt+e a  # 插入箭头(&A)
qmp_click 600 100
qmp_click 800 100
qmp_move 800 200
qmp_move 800 300
qmp_wait_pixels "$shot" "segment following the pointer|800,250|$black" "head on the pointer|800,297|$black"
xdotool click 3

drawing=(
    "rectangle top|160,100|$black" "rectangle left|100,140|$black" "rectangle divider|165,141|$black"
    "inside the rectangle corner|103,103|$white"
    "ellipse top|465,100|$black" "ellipse left|400,140|$black" "outside the ellipse's curve|402,102|$white"
    "diamond left tip|100,340|$black" "diamond top tip|180,300|$black" "diamond divider|130,340|$black"
    "outside the diamond|102,302|$white"
    "first segment|700,100|$black" "second segment|800,200|$black"
    "head, wide at the top|796,290|$black" "head, narrow at the bottom|796,297|$white" "head tip|800,297|$black"
)
qmp_wait_pixels "$shot" "${drawing[@]}"
convert "$shot" "$out/drawn.png"

# Save: Ctrl+S on an untitled drawing asks for a name.
qmp_menu ctrl+s
e2e_file_dialog save "$out/drawing.QMP"
e2e_wait_file "$out/drawing.QMP"
file="$out/drawing.QMP"
i16() { od -An -td2 -j "$2" -N 2 "$1" | tr -d ' '; }
size=$(stat -c %s "$file")
[ "$(head -c 3 "$file")" != QMP ] || e2e_fail "qmp's file starts with a tag"
[ "$(i16 "$file" 0)" = 2 ] || e2e_fail "shape count $(i16 "$file" 0), expected 2"
[ "$(i16 "$file" 74)" = 7 ] || e2e_fail "label count $(i16 "$file" 74), expected 7 (two per shape, one of its own)"
# The file ends with the diamond count and the one diamond: Left, Top, Visible, label1, label2.
[ "$(i16 "$file" $((size - 12)))" = 1 ] || e2e_fail "diamond count is not where the file ends"
[ "$(i16 "$file" $((size - 10))) $(i16 "$file" $((size - 8))) $(i16 "$file" $((size - 6)))" = "1500 4500 -1" ] ||
    e2e_fail "the diamond is not at (1500, 4500), visible"
grep -aq "Hello qmp" "$file" || e2e_fail "the label's text is not in the file"
! grep -aq "Hello qmpx" "$file" || e2e_fail "Del in the editor box did not erase"
echo "saved $size bytes"

# New: nothing changed since the save, so it asks nothing.
qmp_menu ctrl+n
qmp_wait_pixels "$shot" "rectangle gone|160,100|$white" "arrow gone|800,200|$white" "diamond gone|100,340|$white"
qmp_blank "$shot" 0 0 957 597 || e2e_fail "New left something on the canvas (see $shot)"

# Open brings the drawing back; the new drawing is unchanged, so it asks nothing.
qmp_menu ctrl+o
e2e_file_dialog open "$file"
qmp_wait_pixels "$shot" "${drawing[@]}"
[ "$(qmp_marks "$shot" 400 300 80 16)" -eq "$label_ink" ] ||
    e2e_fail "the label came back different (see $shot)"
convert "$shot" "$out/reopened.png"

# BMP export: the canvas with its frame, 961 x 601, 24 bits.
qmp_menu ctrl+b
e2e_file_dialog save "$out/canvas.bmp"
bmp="$out/canvas.bmp"
e2e_wait_file "$bmp"
bmp_kind=$(identify -format '%m %wx%h %[channels]' "$bmp")
[[ "$bmp_kind" == BMP*" 961x601 srgb" ]] || e2e_fail "BMP is $bmp_kind"
echo "BMP: $bmp_kind"

[ "$(i16 "$bmp" 28)" = 24 ] || e2e_fail "BMP has $(i16 "$bmp" 28) bits per pixel"
# Image pixels are canvas client pixels moved by the two-pixel frame.
mapfile -t got < <(e2e_pixels "$bmp" 162,102 102,142 467,102 102,342 702,102 802,202 482,452 0,300)
[ "${got[*]:0:7}" = "$black $black $black $black $black $black $white" ] ||
    e2e_fail "BMP pixels ${got[*]} do not show the drawing"
[ "${got[7]}" != "$white" ] || e2e_fail "BMP has no frame"
convert "$bmp" "$out/canvas.png"

# Opening cleared the changed mark and exporting does not set it: Exit asks nothing.
qmp_menu ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: qmp drew, saved, reopened and exported its drawing"
