#!/usr/bin/env bash
# A chart drawn and saved with the keyboard alone: elements inserted through the
# Edit menu's access keys, carried into place with the arrow keys and dropped with
# Enter, a polyline arrow drawn the same way, the elements stepped through with Tab,
# one deleted, the drawing saved with Ctrl+S and opened again with Ctrl+O. The
# mouse never moves.
# Usage: keyboard.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
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
