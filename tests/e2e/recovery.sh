#!/usr/bin/env bash
# Crash recovery in both programs, as a user meets it: a drawing saved once and
# changed again, its recovery copy written, the program killed with SIGKILL;
# started again it offers the copy, Yes brings the drawing back as it was, still
# marked changed and named after its file, which only Save then writes. A start
# with no copy asks nothing.
# Usage: recovery.sh QUILLMAP QMP OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
# shellcheck source=tests/e2e/qmp_lib.sh
source "$E2E_DIR/qmp_lib.sh"
e2e_begin "$@"
rm -rf "${out:?}"/*  # no copy left from an earlier run
export E2E_STATE_HOME="$out/state" QUILLMAP_AUTOSAVE_SECONDS=1

# The one recovery copy of a program, or nothing.
copy_of() { find "$E2E_STATE_HOME/$1/recovery" -name '*.copy' -size +0 2>/dev/null | head -n 1; }
has_copy() { [ -n "$(copy_of "$1")" ]; }
no_copy() { [ -z "$(copy_of "$1")" ]; }
# copied_drawing COPY FILE: the drawing inside a copy, what Save would have
# written when the copy was taken.
copied_drawing() {
    python3 - "$1" "$2" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
head = b"\ndocument "
at = data.index(head, data.index(b"\npath ")) + len(head)
size, at = int(data[at:data.index(b"\n", at)]), data.index(b"\n", at) + 1
open(sys.argv[2], "wb").write(data[at:at + size])
EOF
}
killed() { ! kill -0 "$APP_PID" 2>/dev/null; }
crash() {
    {
        kill -KILL "$APP_PID"
        e2e_wait_for "$E2E_TIMEOUT" killed || e2e_fail "the program outlived SIGKILL"
        wait "$APP_PID" || true
    } 2>/dev/null  # not the shell's note that its job was killed
    APP_PID=
}
written_again() { ! cmp -s "$file" "$out/saved-once.QMP"; }
# canvas_shot SHOT FILE W H: the canvas of a screenshot as a picture of its own.
canvas_shot() { convert "$1" -crop "$3x$4+$CANVAS_X+$CANVAS_Y" +repage "$2"; }
# same_canvas BEFORE AFTER: fails unless every pixel of the two canvases is alike.
same_canvas() {
    local differ
    differ=$(compare -metric AE "$1" "$2" "${2%.png}-diff.png" 2>&1) || true
    [ "$differ" = 0 ] || e2e_fail "$differ pixels of the canvas differ from before the crash (see ${2%.png}-diff.png)"
}

# --- quillmap ---------------------------------------------------------------------
shot="$out/quillmap.ppm"
file="$out/chart.QMP"
e2e_start "$program" "$out/quillmap-1.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"  # no question: there is nothing to recover
e2e_toolbar 1
e2e_move 300 300
e2e_wait_pixels "$shot" "rectangle following the pointer|360,300|$BLACK"
xdotool click 1
e2e_toolbar 14
e2e_file_dialog save "$file"
e2e_wait_file "$file"
cp "$file" "$out/saved-once.QMP"
e2e_await "$E2E_TIMEOUT" no_copy quillmap || e2e_fail "the copy outlived the save"

# Changed again: an ellipse, dropped, and the selection let go.
e2e_toolbar 3
e2e_move 500 300
e2e_wait_pixels "$shot" "ellipse following the pointer|500,340|$BLACK"
xdotool click 1
e2e_click 600 500
e2e_wait_pixels "$shot" "ellipse|500,340|$BLACK" "rectangle|360,300|$BLACK"
e2e_await "$E2E_TIMEOUT" has_copy quillmap || e2e_fail "no recovery copy was written"
canvas_shot "$shot" "$out/quillmap-before.png" 940 620
copied_drawing "$(copy_of quillmap)" "$out/quillmap-copied.QMP"
crash
cmp -s "$file" "$out/saved-once.QMP" || e2e_fail "the user's file changed before it was saved"

e2e_start "$program" "$out/quillmap-2.log"
e2e_wait_window Quillmap
e2e_wait_dialog "$E2E_QUESTION"
e2e_shot "$out/quillmap-question.ppm" && convert "$out/quillmap-question.ppm" "$out/quillmap-question.png"
e2e_answer "$E2E_QUESTION" Return  # Yes is the default
e2e_wait_pixels "$shot" "ellipse|500,340|$BLACK" "rectangle|360,300|$BLACK"
canvas_shot "$shot" "$out/quillmap-after.png" 940 620
same_canvas "$out/quillmap-before.png" "$out/quillmap-after.png"
cmp -s "$file" "$out/saved-once.QMP" || e2e_fail "recovery wrote the user's file"

# Still changed: closing asks, and Escape keeps the window.
python3 "$E2E_DIR/close_window.py" "$WID"
e2e_answer "$E2E_QUESTION" Escape
# Save writes the user's file, without asking for a name, and the copy goes.
e2e_toolbar 14
e2e_await "$E2E_TIMEOUT" written_again || e2e_fail "Save did not write $file"
cmp -s "$file" "$out/quillmap-copied.QMP" || e2e_fail "Save wrote another drawing than the one recovered"
e2e_await "$E2E_TIMEOUT" no_copy quillmap || e2e_fail "the copy outlived the save"
# A change thrown away at the close (No) goes with its copy.
e2e_toolbar 3
e2e_move 700 300
e2e_wait_pixels "$shot" "ellipse following the pointer|700,340|$BLACK"
xdotool click 1
e2e_await "$E2E_TIMEOUT" has_copy quillmap || e2e_fail "no recovery copy of the new change"
python3 "$E2E_DIR/close_window.py" "$WID"
e2e_answer "$E2E_QUESTION" n
e2e_wait_exit "$E2E_TIMEOUT"
no_copy quillmap || e2e_fail "the copy of a change thrown away outlived the exit"
echo "quillmap: the drawing came back as it was and Save wrote it to $file"

# Started on a file named relative to one folder, killed, started again in another
# folder (as a desktop menu starts it): Save after recovery writes the file it
# came from, and no file of that name appears where the program now runs.
mkdir -p "$out/first" "$out/elsewhere"
file="$out/first/rec.QMP"
cp "$out/saved-once.QMP" "$file"
cp "$file" "$out/saved-once-rec.QMP"
E2E_CWD="$out/first" e2e_start "$program" "$out/quillmap-3.log" rec.QMP
e2e_wait_window Quillmap
e2e_wait_pixels "$shot" "the file's rectangle|360,300|$BLACK"
e2e_toolbar 3
e2e_move 700 300
e2e_wait_pixels "$shot" "ellipse following the pointer|700,340|$BLACK"
xdotool click 1
e2e_await "$E2E_TIMEOUT" has_copy quillmap || e2e_fail "no recovery copy of the file opened by a relative name"
copied_drawing "$(copy_of quillmap)" "$out/rec-copied.QMP"
crash
E2E_CWD="$out/elsewhere" e2e_start "$program" "$out/quillmap-4.log"
e2e_wait_window Quillmap
e2e_answer "$E2E_QUESTION" Return
e2e_wait_pixels "$shot" "ellipse|700,340|$BLACK" "rectangle|360,300|$BLACK"
e2e_key ctrl+s
written_rec() { ! cmp -s "$file" "$out/saved-once-rec.QMP"; }
e2e_await "$E2E_TIMEOUT" written_rec || e2e_fail "Save after recovery did not write $file"
cmp -s "$file" "$out/rec-copied.QMP" || e2e_fail "Save wrote another drawing than the one recovered to $file"
[ -z "$(find "$out/elsewhere" -type f)" ] || e2e_fail "Save after recovery wrote into the folder the program started in"
python3 "$E2E_DIR/close_window.py" "$WID"
e2e_wait_exit "$E2E_TIMEOUT"
echo "quillmap: started elsewhere, Save after recovery wrote $file and nothing else"

# --- qmp --------------------------------------------------------------------------
shot="$out/qmp.ppm"
file="$out/sketch.QMP"
e2e_start "$qmp" "$out/qmp-1.log"
qmp_wait_window
qmp_toolbar 1  # 矩形
qmp_move 100 100
qmp_wait_pixels "$shot" "rectangle following the pointer|160,100|$BLACK"
xdotool click 1
qmp_menu ctrl+s
e2e_file_dialog save "$file"
e2e_wait_file "$file"
cp "$file" "$out/saved-once.QMP"
e2e_await "$E2E_TIMEOUT" no_copy qmp || e2e_fail "qmp's copy outlived the save"

qmp_toolbar 3  # 椭圆
qmp_move 400 100
qmp_wait_pixels "$shot" "ellipse following the pointer|400,140|$BLACK"
xdotool click 1
qmp_click 600 400
qmp_wait_pixels "$shot" "ellipse|400,140|$BLACK" "rectangle|160,100|$BLACK" "nothing selected|465,100|$BLACK"
e2e_await "$E2E_TIMEOUT" has_copy qmp || e2e_fail "qmp wrote no recovery copy"
canvas_shot "$shot" "$out/qmp-before.png" 950 590
copied_drawing "$(copy_of qmp)" "$out/qmp-copied.QMP"
crash

e2e_start "$qmp" "$out/qmp-2.log"
qmp_wait_window
e2e_wait_dialog "$E2E_QUESTION"
e2e_shot "$out/qmp-question.ppm" && convert "$out/qmp-question.ppm" "$out/qmp-question.png"
e2e_answer "$E2E_QUESTION" Return
qmp_wait_pixels "$shot" "ellipse|400,140|$BLACK" "rectangle|160,100|$BLACK"
canvas_shot "$shot" "$out/qmp-after.png" 950 590
same_canvas "$out/qmp-before.png" "$out/qmp-after.png"
cmp -s "$file" "$out/saved-once.QMP" || e2e_fail "recovery wrote qmp's file"
# Still changed: New asks, and Escape stops it with the drawing kept.
qmp_menu ctrl+n
e2e_answer "$E2E_QUESTION" Escape
qmp_wait_pixels "$shot" "ellipse kept|400,140|$BLACK" "rectangle kept|160,100|$BLACK"
qmp_menu ctrl+s
e2e_await "$E2E_TIMEOUT" written_again || e2e_fail "Save did not write $file"
cmp -s "$file" "$out/qmp-copied.QMP" || e2e_fail "qmp's Save wrote another drawing than the one recovered"
e2e_await "$E2E_TIMEOUT" no_copy qmp || e2e_fail "qmp's copy outlived the save"
python3 "$E2E_DIR/close_window.py" "$WID"
e2e_wait_exit "$E2E_TIMEOUT"
echo "qmp: the drawing came back as it was and Save wrote it to $file"
echo "PASS: both programs offer a killed drawing back, as it was, and only Save writes the user's file"
