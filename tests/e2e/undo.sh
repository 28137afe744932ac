#!/usr/bin/env bash
# Undo and Redo in the real programs, as a user meets them. quillmap: a chart with
# every element kind, its texts edited, a rectangle dragged and resized; Ctrl+Z
# until the drawing is the new one again and Ctrl+Y until it is the whole chart,
# each compared by the file Save As writes; then Exit asks nothing after the save.
# Esc takes back a rectangle that follows the pointer. The same, shorter, in qmp.
# Usage: undo.sh QUILLMAP QMP OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
# shellcheck source=tests/e2e/qmp_lib.sh
source "$E2E_DIR/qmp_lib.sh"
e2e_begin "$@"
rm -f "$out"/*.ppm "$out"/*.png
shot="$out/undo.ppm"

# place X Y DX DY: moves what follows the pointer to (X, Y), waits until the
# pixel at (X+DX, Y+DY) is black, then drops it with a click and waits for green.
place() {
    e2e_move "$1" "$2"
    e2e_wait_pixels "$shot" "new element|$(($1 + $3)),$(($2 + $4))|$BLACK"
    xdotool click 1
    e2e_wait_pixels "$shot" "dropped element|$(($1 + $3)),$(($2 + $4))|$GREEN"
}

# keys N KEY: the key N times, to the main window.
keys() {
    local i
    for i in $(seq 1 "$1"); do e2e_key "$2"; done
}

# same FILE FILE WHAT: fails unless the two files hold the same bytes.
same() { cmp -s "$1" "$2" || e2e_fail "$3: $(basename "$2") differs from $(basename "$1")"; }

# --- quillmap ------------------------------------------------------------------
e2e_start "$program" "$out/quillmap.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"
# The drags below go exactly where the pointer goes: 参考线 off (视图 menu, L),
# or an edge passing near another's would line up with it.
e2e_key alt+v
e2e_wait_popup
e2e_menu_key l
e2e_wait_gone "$POPUP"
dir=$E2E_WORKDIR

# Save As, by the access keys of the File menu and its item, to a new path; both
# programs' menus take them.
save_as() {
    qmp_menu alt+f e
    e2e_file_dialog save "$1"
    e2e_wait_file "$1"
}

e2e_key ctrl+s
e2e_file_dialog save "$dir/new.QMP"
e2e_wait_file "$dir/new.QMP"

# Esc while a new rectangle follows the pointer: it is gone as if never inserted.
e2e_toolbar 1
e2e_move 40 120
e2e_wait_pixels "$shot" "rectangle following the pointer|100,120|$BLACK"
e2e_key Escape
e2e_wait_pixels "$out/1-escaped.ppm" "no rectangle|100,120|$WHITE"

# Fourteen steps: every element kind, two texts, a drag and a resize. Each shape
# and straight arrow: toolbar button, where it is dropped, and a pixel of its
# outline relative to that point.
for element in "1 40 120 60 0" "2 200 120 80 40" "3 400 120 65 41" "4 600 120 -40 0" "5 600 180 40 0" \
    "6 750 250 0 -40" "7 850 120 0 40"; do
    read -r button x y dx dy <<<"$element"
    e2e_toolbar "$button"
    place "$x" "$y" "$dx" "$dy"
done
e2e_toolbar 8  # polyline arrow: two segments
e2e_click 40 330
e2e_click 140 330
e2e_click 140 400 3
e2e_wait_pixels "$shot" "polyline arrow|90,330|$BLACK" "its second segment|140,370|$BLACK"
for spot in "9 300 330" "10 450 310"; do  # label, vertical label
    read -r button x y <<<"$spot"
    e2e_toolbar "$button"
    e2e_move "$x" "$y"
    E2E_FUZZ=30% e2e_wait_count "$shot" "$x" "$y" 14 14 "$BLACK" 5
    xdotool click 1
    E2E_FUZZ=30% e2e_wait_count "$shot" "$x" "$y" 14 14 "$GREEN" 5
done
e2e_edit_label 480 37 "流程图" "$shot"
e2e_edit_label 105 143 "开始" "$shot"
e2e_drag 46 126 146 176
e2e_wait_pixels "$shot" "dragged rectangle|200,170|$GREEN" "where it was|100,120|$WHITE"
e2e_drag 271 251 331 291
e2e_wait_pixels "$out/2-chart.ppm" "resized rectangle's right edge|330,230|$GREEN" "old right edge|270,230|$WHITE"
save_as "$dir/full.QMP"

keys 14 ctrl+z
e2e_wait_pixels "$out/3-undone.ppm" "no rectangle|200,170|$WHITE" "no diamond|280,160|$WHITE" \
    "no polyline|90,330|$WHITE" "table|767,578|$BLACK"
save_as "$dir/undone.QMP"
same "$dir/new.QMP" "$dir/undone.QMP" "fourteen undos"

keys 14 ctrl+y
e2e_wait_pixels "$out/4-redone.ppm" "rectangle|330,230|$BLACK" "diamond|280,160|$BLACK" "polyline|90,330|$BLACK"
save_as "$dir/redone.QMP"
same "$dir/full.QMP" "$dir/redone.QMP" "fourteen redos"
cp "$dir"/*.QMP "$out/"

# Saved just now: Exit asks nothing.
e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
rm -rf "$dir"
echo "quillmap: 14 steps undone to the new drawing and redone to the chart, byte for byte"

# --- qmp -----------------------------------------------------------------------
e2e_start "$qmp" "$out/qmp.log"
qmp_wait_window
qmp_wait_pixels "$shot" "empty canvas|480,300|$WHITE"
dir=$E2E_WORKDIR

e2e_key ctrl+s
e2e_file_dialog save "$dir/new.QMP"
e2e_wait_file "$dir/new.QMP"

# Six steps: a rectangle, a diamond, a label and its text, an arrow, a drag.
qmp_toolbar 1
qmp_move 100 100
qmp_wait_pixels "$shot" "rectangle following the pointer|160,100|$BLACK"
xdotool click 1
qmp_toolbar 2
qmp_move 100 300
qmp_wait_pixels "$shot" "diamond following the pointer|100,340|$BLACK"
xdotool click 1
qmp_place_label "$shot" 400 300
e2e_enter_text Hello
e2e_key Return
qmp_wait_pixels "$shot" "editor box closed|430,300|$WHITE"
qmp_menu alt+e a
qmp_click 600 100
qmp_click 800 100
qmp_move 800 300
qmp_wait_pixels "$shot" "segment following the pointer|800,250|$BLACK"
xdotool click 3
e2e_drag 106 106 206 156
qmp_wait_pixels "$out/5-qmp-chart.ppm" "dragged rectangle|260,150|$GREEN" "where it was|160,100|$WHITE"
save_as "$dir/full.QMP"

keys 6 ctrl+z
qmp_wait_pixels "$out/6-qmp-undone.ppm" "no rectangle|260,150|$WHITE" "no arrow|700,100|$WHITE"
save_as "$dir/undone.QMP"
same "$dir/new.QMP" "$dir/undone.QMP" "qmp, six undos"

keys 6 ctrl+y
qmp_wait_pixels "$out/7-qmp-redone.ppm" "rectangle|260,150|$BLACK" "arrow|700,100|$BLACK"
save_as "$dir/redone.QMP"
same "$dir/full.QMP" "$dir/redone.QMP" "qmp, six redos"
for f in "$dir"/*.QMP; do cp "$f" "$out/qmp-$(basename "$f")"; done

e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: Undo and Redo walk both programs' drawings back and forth byte for byte; Esc takes back an insert"
