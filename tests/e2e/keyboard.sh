#!/usr/bin/env bash
# A chart drawn and saved with the keyboard alone: elements inserted through the
# Edit menu's access keys, carried into place with the arrow keys and dropped with
# Enter, a polyline arrow drawn the same way, the elements stepped through with Tab,
# one deleted, the drawing saved with Ctrl+S and opened again with Ctrl+O. Then a
# whole chart without any pointer event at all: two rectangles joined by an arrow
# whose head Alt and the arrow keys put on the second one, both texts of each
# rectangle typed (Tab between them), the title and the number field filled in,
# saved; the saved file read back with qmptool holds all of it, the arrow's ends
# on the connection points.
# Usage: keyboard.sh PROGRAM QMPTOOL OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
qmptool=$2
shot="$out/keyboard.ppm"
saved="$out/keyboard.QMP"
rm -f "$saved"

e2e_start "$program" "$out/keyboard.log"
e2e_wait_window Quillmap
e2e_wait_painted "$out/start.ppm"
# The pointer rests outside the window: the first arrow key brings it into the
# middle of the canvas in view, client pixel (478, 318).
xdotool mousemove $((WIN_X + WIN_W + 50)) $((WIN_Y + 50))

# edit_item KEY [SUBKEY]: opens the Edit menu with Alt+E and chooses an item, or
# an item of its submenu once that is open, by access keys.
edit_item() {
    e2e_key alt+e
    e2e_wait_popup
    local menu=$POPUP
    e2e_menu_key "$1"
    if [ $# -eq 2 ]; then
        e2e_wait_popup "$menu"
        e2e_menu_key "$2"
    fi
    e2e_wait_gone "$menu"
}

# A rectangle, 100 pixels left of the middle.
edit_item r
e2e_key Right shift+Left shift+Left shift+Left shift+Left shift+Left shift+Left shift+Left shift+Left shift+Left shift+Left
e2e_key Left
e2e_wait_pixels "$shot" "rectangle's top edge|438,318|$BLACK" "left of it|376,330|$WHITE"
e2e_key Return
e2e_wait_pixels "$out/1-rectangle.ppm" "dropped rectangle|438,318|$GREEN"

# A right arrow 150 pixels below it, carried round the rectangle's left side,
# whose connection point would snap it.
edit_item a r
e2e_key shift+Right
for _ in $(seq 15); do e2e_key shift+Down; done
e2e_key shift+Left
e2e_wait_pixels "$shot" "arrow|418,468|$BLACK"
e2e_key Return
e2e_wait_pixels "$out/2-arrow.ppm" "dropped arrow|418,468|$GREEN" "rectangle, no longer selected|438,318|$BLACK"

# A polyline arrow: Enter at each vertex, Shift+Enter ends it as the right button.
edit_item a p
for _ in $(seq 10); do e2e_key shift+Down; done
e2e_key Return
for _ in $(seq 20); do e2e_key shift+Right; done
e2e_key Return
for _ in $(seq 5); do e2e_key shift+Down; done
e2e_key shift+Return
e2e_wait_pixels "$out/3-polyline.ppm" "first segment|477,568|$BLACK" "second segment|577,590|$BLACK"

# Tab selects the number field and the title first, then the elements in the
# document's order: the rectangle, then the straight arrow; Delete takes the
# arrow away.
e2e_key Tab Tab Tab
e2e_wait_pixels "$shot" "selected rectangle|438,318|$GREEN"
e2e_key Tab
e2e_wait_pixels "$shot" "selected arrow|418,468|$GREEN" "rectangle|438,318|$BLACK"
e2e_key Delete
e2e_wait_pixels "$out/4-deleted.ppm" "deleted arrow|418,468|$WHITE" "rectangle|438,318|$BLACK"

e2e_key ctrl+s
e2e_file_dialog save "$saved"
e2e_wait_file "$saved"
e2e_key ctrl+n  # saved: no question
e2e_wait_pixels "$shot" "new drawing|438,318|$WHITE"
e2e_key ctrl+o
e2e_file_dialog open "$saved"
e2e_wait_pixels "$out/5-opened.ppm" "rectangle|438,318|$BLACK" "polyline|577,590|$BLACK" "no arrow|418,468|$WHITE"

e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: a rectangle, arrows and a polyline placed, selected, deleted and saved with the keyboard alone"

# The whole chart. The pointer stays wherever it is: a new element appears under
# it when it is over the canvas, else in the middle of the canvas in view; pushed
# against the canvas's top-left corner, the first rectangle starts from a known
# place either way.
chart="$out/keyboard-chart.QMP"
rm -f "$chart"
e2e_start "$program" "$out/keyboard-chart.log"
e2e_wait_window Quillmap
e2e_wait_painted "$out/chart-start.ppm"

# carry KEY COUNT: the element being placed moved COUNT times by KEY.
carry() { e2e_key --repeat "$2" --delay 5 "$1"; }
# texts UPPER LOWER: both texts of the selected rectangle, Tab between them.
texts() {
    e2e_key F2
    e2e_enter_text "$1"
    e2e_key Tab
    e2e_enter_text "$2"
    e2e_key Return
}

edit_item r
carry shift+Left 100
carry shift+Up 70
carry shift+Right 10
carry shift+Down 15
e2e_key Return
e2e_wait_pixels "$shot" "first rectangle|160,150|$GREEN"
texts "开始" "甲"

edit_item r  # under the pointer, on the first one
carry shift+Right 30
e2e_key Return
e2e_wait_pixels "$shot" "second rectangle|460,150|$GREEN" "first one|160,150|$BLACK"
texts "审核" "乙"

# A right arrow, its tail carried to the first rectangle's right point (231, 190.5),
# where the pointer snaps; Enter drops it, 80 pixels long, selected. Alt and the
# arrow keys take its head on to the second rectangle's left point (400, 190.5):
# within reach of it the head snaps there.
edit_item a r
carry shift+Left 16
carry Left 9
carry shift+Down 4
e2e_key Return
e2e_wait_pixels "$shot" "dropped arrow|290,191|$GREEN"
carry alt+shift+Right 8
carry alt+Right 3
e2e_wait_pixels "$shot" "joined arrow|370,191|$GREEN" "second rectangle|460,150|$BLACK"

# The title and the number field: Shift+Tab back past the rectangles; the
# number field's box keeps "编号:" and takes what follows it. Then the table,
# where Enter opens its first cell to fill in.
e2e_key shift+Tab shift+Tab shift+Tab F2
e2e_enter_text "审批流程"
e2e_key Return shift+Tab F2
e2e_enter_text "QM-7"
e2e_key Return Tab Tab Tab Tab Tab
e2e_wait_pixels "$shot" "selected table|767,578|$GREEN"
e2e_key Return
e2e_enter_text "张三"
e2e_key Return

e2e_key ctrl+s
e2e_file_dialog save "$chart"
e2e_wait_file "$chart"
e2e_wait_pixels "$out/chart-saved.ppm" "the table still selected|767,578|$GREEN" "arrow|300,191|$BLACK"

dump=$("$qmptool" dump "$chart")
ends=$(python3 "$E2E_DIR/glue_check.py" <<<"$dump")
[ "$ends" = "arrow 1: shape1.right shape2.left" ] || e2e_fail "the arrow's ends: $ends"
for text in 开始 甲 审核 乙 审批流程 "编号:QM-7" 张三; do
    grep -qF "\"$text\"" <<<"$dump" || e2e_fail "the saved chart lacks the text '$text'"
done
e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: a chart of two rectangles joined by an arrow, its texts and title block filled in and saved with no pointer event"
