#!/usr/bin/env bash
# Copy and paste between running programs, through the X clipboard: a rectangle
# with an edited text copied in one quillmap and pasted twice into a second one,
# each paste 10 pixels further; the same rectangle pasted into qmp; a straight
# arrow, which qmp's drawings cannot hold, refused there with a message.
# Usage: clipboard.sh QUILLMAP QMP OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
# shellcheck source=tests/e2e/qmp_lib.sh
source "$E2E_DIR/qmp_lib.sh"
e2e_begin "$@"
shot="$out/clipboard.ppm"

# keep NAME / use NAME: the program and window the helpers act on.
keep() { eval "$1=(\"\$APP_PID\" \"\$WID\" \"\$CLIENT_X\" \"\$CLIENT_Y\" \"\$CANVAS_X\" \"\$CANVAS_Y\")"; }
use() { eval "APP_PID=\${$1[0]} WID=\${$1[1]} CLIENT_X=\${$1[2]} CLIENT_Y=\${$1[3]} CANVAS_X=\${$1[4]} CANVAS_Y=\${$1[5]}"; }

# below WAIT_WINDOW...: a second window, moved below the first one's drawing (the
# bare X server puts every window at 0,0), then found again where it is now.
below() {
    "$@"
    xdotool windowmove "$WID" 0 316
    "$@"
}

# clipboard_has TYPE: the clipboard offers that type.
clipboard_has() { xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -qx "$1"; }
copied() {
    e2e_key ctrl+c
    e2e_wait_for "$E2E_TIMEOUT" clipboard_has application/x-quillmap-elements || e2e_fail "nothing was copied"
}

e2e_start "$program" "$out/first.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"
keep first

# A rectangle with its upper text edited, selected by a click inside it.
e2e_toolbar 1
e2e_move 100 100
e2e_wait_pixels "$shot" "new rectangle|160,100|$BLACK"
xdotool click 1
e2e_edit_label 165 125 开始 "$shot"
e2e_click 104 104
e2e_wait_pixels "$out/1-copied.ppm" "selected rectangle|160,100|$GREEN"
copied

# Pasted into a second quillmap: selected, 10 pixels right of and below where it
# was, with its texts; a second paste lands 10 pixels further.
e2e_start "$program" "$out/second.log"
below e2e_wait_window Quillmap
e2e_wait_painted "$shot"
keep second
e2e_key ctrl+v
e2e_wait_pixels "$shot" "pasted rectangle|170,110|$GREEN" "its divider|170,151|$GREEN" "where it was copied|160,100|$WHITE"
E2E_FUZZ=30% e2e_wait_count "$shot" 160 125 30 16 "$BLACK" 10  # 开始
e2e_key ctrl+v
e2e_wait_pixels "$out/2-pasted-twice.ppm" "second paste|245,120|$GREEN" "first paste|170,110|$BLACK"
e2e_key ctrl+q
e2e_answer "$E2E_QUESTION" n
e2e_wait_exit "$E2E_TIMEOUT"

# qmp takes the rectangle as it is.
e2e_start "$qmp" "$out/qmp.log"
below qmp_wait_window
keep qmp
e2e_key ctrl+v
e2e_wait_pixels "$out/3-qmp.ppm" "rectangle pasted into qmp|170,110|$GREEN" "its divider|170,151|$GREEN"

# A straight arrow it refuses, saying why; its drawing stays as it was.
use first
e2e_toolbar 5
e2e_move 300 150
e2e_wait_pixels "$shot" "new right arrow|340,150|$BLACK"
xdotool click 1
e2e_wait_pixels "$shot" "dropped arrow|340,150|$GREEN"
copied
use qmp
e2e_key ctrl+v
e2e_wait_dialog "$E2E_QUESTION"
e2e_shot "$out/4-refused.ppm" && convert "$out/4-refused.ppm" "$out/4-refused.png"
e2e_answer "$E2E_QUESTION" Return
e2e_wait_pixels "$shot" "no arrow|340,160|$WHITE" "the rectangle, still selected|170,110|$GREEN"

for name in qmp first; do
    use $name
    e2e_key ctrl+q
    e2e_answer "$E2E_QUESTION" n
    e2e_wait_exit "$E2E_TIMEOUT"
done
echo "PASS: copied in one quillmap, pasted twice into another and into qmp; a straight arrow refused by qmp"
