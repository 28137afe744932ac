#!/usr/bin/env bash
# Closing the real program's window with a changed drawing, as a window manager's
# close button does: the question appears; Cancel keeps the window and the
# drawing; Yes with the save dialog cancelled keeps them too; No closes.
# Usage: close_question.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
shot="$out/close.ppm"

e2e_start "$program" "$out/close.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"

close_window() { python3 "$E2E_DIR/close_window.py" "$WID"; }
still_open() {
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended"
    e2e_wait_pixels "$1" "the rectangle|360,300|$2"
}

# Change the drawing: a rectangle from the toolbar, dropped at (300, 300).
e2e_toolbar 1
e2e_move 300 300
e2e_wait_pixels "$shot" "the rectangle|360,300|$BLACK"
xdotool click 1
still_open "$out/1-changed.ppm" "$GREEN"

# Cancel: the window and the drawing stay.
close_window
e2e_wait_dialog "$E2E_QUESTION"
e2e_shot "$out/2-question.ppm" && convert "$out/2-question.ppm" "$out/2-question.png"
e2e_answer "$E2E_QUESTION" Escape
still_open "$out/3-cancelled.ppm" "$GREEN"

# Yes, then the save dialog cancelled: nothing was saved, so nothing closes.
close_window
e2e_answer "$E2E_QUESTION" y
e2e_wait_dialog "$E2E_SAVE_DIALOG"
e2e_shot "$out/4-save-dialog.ppm" && convert "$out/4-save-dialog.ppm" "$out/4-save-dialog.png"
e2e_answer "$E2E_SAVE_DIALOG" Escape
still_open "$out/5-still-open.ppm" "$GREEN"  # saving keeps the selection
[ -z "$(find "$E2E_WORKDIR" -name '*.QMP')" ] || e2e_fail "a file was written although the dialog was cancelled"

# No: the window closes without saving.
close_window
e2e_answer "$E2E_QUESTION" n
e2e_wait_exit "$E2E_TIMEOUT"
[ -z "$(find "$E2E_WORKDIR" -name '*.QMP')" ] || e2e_fail "No saved the drawing"

# Another program saves the file while it is open here: Save says so and asks,
# and 取消 (Esc) leaves the other version as it is, also when the save is the one
# the close question offers.
file="$out/流程图.QMP"
cp "$E2E_DIR/../package/流程图.QMP" "$file"
e2e_start "$program" "$out/close-2.log" "$file"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"
e2e_toolbar 1
e2e_move 300 300
e2e_wait_pixels "$shot" "the rectangle|360,300|$BLACK"
xdotool click 1
still_open "$out/6-changed.ppm" "$GREEN"
cp "$file" "$out/theirs.QMP" && printf 'another version' >>"$out/theirs.QMP"
cp "$out/theirs.QMP" "$file.new" && mv "$file.new" "$file"
e2e_key ctrl+s
e2e_wait_dialog "$E2E_QUESTION"
e2e_shot "$out/7-changed-file.ppm" && convert "$out/7-changed-file.ppm" "$out/7-changed-file.png"
e2e_answer "$E2E_QUESTION" Escape
cmp -s "$file" "$out/theirs.QMP" || e2e_fail "Save wrote over the version another program saved"
close_window
e2e_answer "$E2E_QUESTION" y
e2e_answer "$E2E_QUESTION" Escape
kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the window closed although its save was cancelled"
cmp -s "$file" "$out/theirs.QMP" || e2e_fail "the close's save wrote over the version another program saved"
close_window
e2e_answer "$E2E_QUESTION" n
e2e_wait_exit "$E2E_TIMEOUT"
cmp -s "$file" "$out/theirs.QMP" || e2e_fail "the other version did not survive"
echo "PASS: the close question keeps the drawing on Cancel and on a cancelled save, and No closes;" \
    "a file another program saved is not written over unasked"
