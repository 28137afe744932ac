#!/usr/bin/env bash
# 文件 → 比较 in the real program: a chart saved, a rectangle added and left
# unsaved, then compared with the saved version through the menu and the file
# dialog. The compare window shows the picture with the new rectangle in green and
# the list; choosing its row selects the rectangle on the canvas. Nothing is written.
# Usage: compare.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
shot="$out/compare.ppm"
added=0,150,0

e2e_start "$program" "$out/compare.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"

# The version on disk: one rectangle.
e2e_drop_rectangle 100 200 "$shot"
e2e_key ctrl+s
e2e_file_dialog save "$E2E_WORKDIR/old.QMP"
e2e_wait_file "$E2E_WORKDIR/old.QMP"

# The drawing as it is now: a second rectangle, not saved, nothing selected.
e2e_drop_rectangle 400 200 "$shot"
e2e_click 700 450
e2e_wait_pixels "$shot" "second rectangle, dropped|460,200|$BLACK" "first rectangle, saved|160,200|$BLACK"

e2e_key alt+f
e2e_wait_popup
e2e_menu_key m
e2e_file_dialog open "$E2E_WORKDIR/old.QMP"
e2e_find_window --name '^比较 - old\.QMP$' || e2e_fail "no compare window"
compare=$FOUND
e2e_expect_no_dialog
eval "$(xdotool getwindowgeometry --shell "$compare" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
# shellcheck disable=SC2153  # X, Y, WIDTH and HEIGHT come from getwindowgeometry
picture_green() {
    e2e_shot "$shot" && [ "$(convert "$shot" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -fill white +opaque "rgb($added)" \
        -fill black -opaque "rgb($added)" -colorspace Gray -format '%[fx:round((1-mean)*w*h)]' info:)" -gt 400 ]
}
e2e_await "$E2E_TIMEOUT" picture_green || e2e_fail "the compare window shows no added rectangle in green (see $shot)"
import -window "$compare" "$out/compare-window.png"

# The list has the focus and its first row, the added rectangle, is current; Space
# chooses it. Without a window manager the window opened over the main window;
# moved off the canvas, it shows what the row did there.
e2e_focus "$compare"
xdotool key --clearmodifiers space
xdotool windowmove "$compare" 0 $((WIN_Y + WIN_H + 10))
e2e_wait_pixels "$shot" "second rectangle, chosen in the list|460,200|$GREEN" "first rectangle|160,200|$BLACK"
[ "$(find "$E2E_WORKDIR" -maxdepth 1 -type f | wc -l)" -eq 1 ] || e2e_fail "the compare wrote a file: $(ls "$E2E_WORKDIR")"
echo "compare window shown, its row selected the rectangle"
