#!/usr/bin/env bash
# Texts and files in the real program: a label and a vertical label inserted,
# dropped and edited in place; the title and the three table values written;
# the drawing saved through the file dialog with a typed path, replaced by New
# and opened again with every text back. Then an arrow drawn toward a
# rectangle's connection point pulls the cursor onto it.
# Usage: text_files.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
shot="$out/text.ppm"

e2e_start "$program" "$out/text.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"
grey=128,128,128

# A label from the Edit menu (access key L) follows the pointer until a click.
e2e_click 500 100 3
e2e_wait_popup
e2e_menu_key l
e2e_wait_gone "$POPUP"
e2e_move 450 150
E2E_FUZZ=30% e2e_wait_count "$out/1-label-follows.ppm" 450 150 100 16 "$BLACK" 20
xdotool click 1  # dropped and selected
E2E_FUZZ=30% e2e_wait_count "$out/2-label-dropped.ppm" 450 150 100 16 "$GREEN" 20
xdotool click 1  # the selected label: the editor opens over it
e2e_wait_count "$out/3-label-box.ppm" 440 140 120 30 "$grey" 40
e2e_enter_text abc
e2e_key Return
e2e_wait_count "$out/4-label-abc.ppm" 440 140 120 30 "$grey" 0 0
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 450 150 30 16 "$GREEN")" -gt 5 ] || e2e_fail "no abc where the label was (see $LAST_SHOT)"
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 480 150 70 16 "$GREEN")" -eq 0 ] || e2e_fail "the old caption is still there (see $LAST_SHOT)"

# A vertical label: its tall box, and a caption that runs downwards.
e2e_click 650 100 3
e2e_wait_popup
e2e_menu_key h
e2e_wait_gone "$POPUP"
e2e_move 650 150
E2E_FUZZ=30% e2e_wait_count "$out/5-vertical-follows.ppm" 650 150 14 100 "$BLACK" 20
xdotool click 1
E2E_FUZZ=30% e2e_wait_count "$out/6-vertical-dropped.ppm" 650 150 14 100 "$GREEN" 20
xdotool click 1
e2e_wait_count "$out/7-vertical-box.ppm" 645 145 30 110 "$grey" 150
e2e_enter_text xyz
e2e_key Return
e2e_wait_count "$out/8-vertical-xyz.ppm" 645 145 30 110 "$grey" 0 0
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 650 150 14 45 "$GREEN")" -gt 5 ] || e2e_fail "no vertical caption (see $LAST_SHOT)"
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 665 150 30 45 "$GREEN")" -eq 0 ] || e2e_fail "the vertical caption is not vertical (see $LAST_SHOT)"

# The title block: the title along the top and the three values of the table.
e2e_edit_label 480 37 "流程图 Flow" "$shot"
e2e_edit_label 891 548 "Zhang" "$shot"
e2e_edit_label 891 578 "Li" "$shot"
e2e_edit_label 891 608 "GB 1526" "$shot"
e2e_shot "$shot"
LAST_SHOT=$shot
convert "$shot" "$out/9-texts.png"
title_ink=$(e2e_canvas_ink "$LAST_SHOT" 380 25 200 25)
[ "$title_ink" -gt 40 ] || e2e_fail "the new title is not drawn (see $LAST_SHOT)"

# Save: the dialog takes a typed path; the file holds the texts (GBK bytes).
file="$E2E_WORKDIR/my chart.QMP"
e2e_key ctrl+s
e2e_file_dialog save "$file"
e2e_wait_file "$file"
cp "$file" "$out/saved.QMP"
for text in abc xyz Zhang Li "GB 1526" Flow; do
    grep -qa -- "$text" "$file" || e2e_fail "the saved file lacks '$text'"
done
grep -qa "$(printf '\xc1\xf7\xb3\xcc\xcd\xbc')" "$file" || e2e_fail "the saved file lacks 流程图 in GBK"

# New: nothing changed since the save, so no question; the placeholders are back.
e2e_key ctrl+n
E2E_FUZZ=30% e2e_wait_count "$out/10-new.ppm" 450 150 100 16 "$BLACK" 0 0
# "单击添加制作人" is wider than "Zhang": its left end is ink again.
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 850 540 20 16 "$BLACK")" -gt 5 ] || e2e_fail "no placeholder in the table (see $LAST_SHOT)"

# Open: the drawing comes back with its texts, black now (nothing selected).
e2e_key ctrl+o
e2e_file_dialog open "$file"  # unchanged since New: no question
E2E_FUZZ=30% e2e_wait_count "$out/11-opened.ppm" 450 150 30 16 "$BLACK" 5
[ "$(e2e_canvas_ink "$LAST_SHOT" 650 150 14 45)" -gt 5 ] || e2e_fail "the vertical label did not come back (see $LAST_SHOT)"
[ "$(E2E_FUZZ=30% e2e_count "$LAST_SHOT" 850 540 20 16 "$BLACK")" -eq 0 ] || e2e_fail "the table's value did not come back (see $LAST_SHOT)"
[ "$(e2e_canvas_ink "$LAST_SHOT" 380 25 200 25)" -eq "$title_ink" ] || e2e_fail "the title differs after opening (see $LAST_SHOT)"

# Snapping: a rectangle dropped at (300, 300), then a polyline arrow whose end is
# brought within 100 twips of the rectangle's left connection point: its divider,
# 607.5 twips down, is at 5108 twips once rounded, in pixel row 341.
e2e_toolbar 1
e2e_move 300 300
e2e_wait_pixels "$shot" "rectangle's top edge|360,300|$BLACK"
xdotool click 1
e2e_toolbar 8
e2e_click 200 341
e2e_move 295 342
want="$(e2e_screen_x 300) $(e2e_screen_y 341)"
snapped() {
    # shellcheck disable=SC2034  # getmouselocation sets all of these
    local X Y SCREEN WINDOW
    eval "$(xdotool getmouselocation --shell)"
    [ "$X $Y" = "$want" ]
}
e2e_await 5 snapped || e2e_fail "the cursor did not snap onto $want: $(xdotool getmouselocation)"
xdotool click 3
e2e_wait_pixels "$out/12-snapped.ppm" "arrow to the point|250,341|$BLACK" "its head on the point|297,341|$BLACK" "rectangle|360,300|$BLACK"

e2e_key ctrl+q
e2e_answer "$E2E_QUESTION" n  # the drawing changed: No closes without saving
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: labels, vertical labels and the title block edited, saved, renewed and opened; cursor snapped"
