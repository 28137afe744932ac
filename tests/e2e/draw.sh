#!/usr/bin/env bash
# Drawing with the mouse in the real program: a rectangle inserted from the
# canvas's Edit menu, dropped, dragged and resized by a corner; a polyline arrow
# drawn with three left clicks and a right click, selected and deleted with the
# Delete key. Each step waits for the pixels it expects and keeps a screenshot.
# Usage: draw.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
shot="$out/draw.ppm"

e2e_start "$program" "$out/draw.log"
e2e_wait_window Quillmap
e2e_wait_painted "$out/start.ppm"

# Insert a rectangle: right-click the canvas, choose the menu's first item below
# Undo, Redo, the clipboard's six items and their separators.
e2e_click 150 150 3
e2e_wait_popup
e2e_menu_item 8 2
e2e_wait_gone "$POPUP"
# It follows the pointer with its top-left corner, outlined in black (131 x 81 px).
e2e_move 150 150
e2e_wait_pixels "$out/1-placing.ppm" \
    "top edge|210,150|$BLACK" "left edge|150,170|$BLACK" "above it|210,149|$WHITE" "bottom edge|210,230|$BLACK"

# A click drops it and selects it: green.
xdotool click 1
e2e_wait_pixels "$out/2-dropped.ppm" "top edge|210,150|$GREEN" "divider|200,191|$GREEN"

# Drag it by its inside (clear of its texts) by (100, 60).
e2e_drag 156 160 256 220
e2e_wait_pixels "$out/3-dragged.ppm" \
    "new top edge|310,210|$GREEN" "new left edge|250,240|$GREEN" "old top edge|210,150|$WHITE"

# Resize it by the bottom-right handle: the corner follows the pointer.
e2e_drag 381 291 441 331
e2e_wait_pixels "$out/4-resized.ppm" \
    "right edge|440,250|$GREEN" "bottom edge|300,330|$GREEN" "old right edge|380,250|$WHITE" \
    "top edge|300,210|$GREEN"

# A polyline arrow from the Edit menu's arrow submenu: three left clicks, then a
# right click that ends it (and opens no menu).
e2e_click 100 450 3
e2e_wait_popup
edit_menu=$POPUP
e2e_menu_item 13 2
e2e_wait_popup "$edit_menu"
e2e_menu_item 4
e2e_wait_gone "$edit_menu"
e2e_click 100 450
e2e_click 300 450
e2e_click 300 550
e2e_click 450 550 3
e2e_wait_pixels "$out/5-arrow.ppm" \
    "first segment|200,450|$BLACK" "second segment|300,500|$BLACK" "last segment|375,550|$BLACK" \
    "arrowhead|444,550|$BLACK" "beside its tip|446,546|$WHITE" "rectangle, no longer selected|300,210|$BLACK"
[ -z "$(e2e_windows popup)" ] || e2e_fail "the right click that ends an arrow opened a menu"

# Select the arrow by a segment, then Delete removes it all.
e2e_click 200 450
e2e_wait_pixels "$out/6-selected.ppm" "first segment|200,450|$GREEN" "last segment|375,550|$GREEN"
e2e_key Delete
e2e_wait_pixels "$out/7-deleted.ppm" \
    "first segment|200,450|$WHITE" "second segment|300,500|$WHITE" "last segment|375,550|$WHITE" \
    "arrowhead|444,550|$WHITE" "rectangle|300,210|$BLACK"

e2e_key ctrl+q
e2e_answer "$E2E_QUESTION" n  # the drawing changed: No closes without saving
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: rectangle inserted, dropped, dragged and resized; polyline arrow drawn and deleted"
