# shellcheck shell=bash
# Helpers for end-to-end tests that drive the real program on an X display with
# xdotool and read its pixels from screenshots. A test script starts with
#   source "$(dirname "$0")/lib.sh" || exit 1
#   e2e_begin "$@"
#
# Every step waits for the condition it needs (a window, its focus, a pixel, a
# file), never for time to pass. Keys go to a window the test has seen take the
# focus; each question or dialog the program may open is named by the step that
# expects it, and any other one fails the test at once. A failing test leaves a
# screenshot and the list of open windows beside its log (failure-*).
#
# Geometry: the main window has no decorations of its own under a bare X server;
# its client area (984 x 688) lies below the menu bar and above quillmap's status
# bar (26 px, at the bottom of the window), and the canvas's client area starts
# 14 px right and 39 px down from that. Those are
# logical pixels: with QT_SCALE_FACTOR set, set E2E_SCALE to the same whole number
# and every position below is scaled to screen pixels.

E2E_TIMEOUT=${E2E_TIMEOUT:-20}
E2E_SCALE=${E2E_SCALE:-1}
# This folder: the test scripts' helpers (qmp_lib.sh, close_window.py).
# shellcheck disable=SC2034  # read by the test scripts
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

# Exits with ctest's skip code when there is no display to run on.
e2e_require_display() {
    if [ -z "${DISPLAY:-}" ]; then
        echo "no DISPLAY set: end-to-end test skipped"
        exit 77
    fi
    local tool
    for tool in xdotool xclip xwininfo import convert; do
        command -v "$tool" >/dev/null || e2e_fail "$tool is not installed"
    done
}

# e2e_begin "$@": how every test script begins. Strict mode; the script's
# arguments, PROGRAM [QMP] OUTPUT_DIR, read into `program`, `qmp` (the scripts
# that drive both editors take qmp second) and `out`; the display required and
# the output folder made. The script's "# Usage:" line says how many it takes.
e2e_begin() {
    set -euo pipefail
    local usage
    usage=$(sed -n 's/^# Usage: //p' "$0")
    if [ $# -ne $(($(wc -w <<<"$usage") - 1)) ]; then
        echo "usage: $usage" >&2
        exit 2
    fi
    program=$1
    # shellcheck disable=SC2034  # read by the scripts that drive both editors
    qmp=${3:+$2}
    out=${!#}
    e2e_require_display
    mkdir -p "$out"
}

# e2e_start PROGRAM LOGFILE [ARG...]: starts it in a fresh working folder with the
# arguments given; sets APP_PID.
# What a failure leaves is kept in the log's folder.
# Its state folder (recovery copies) is in there too, so that no copy of another
# run is offered; set E2E_STATE_HOME to keep one from start to start. A test may
# start several programs; each is ended with the test.
E2E_PIDS=() E2E_WORKDIRS=()
e2e_start() {
    local program log=$2
    program=$(realpath "$1") || e2e_fail "no program $1"
    shift 2
    E2E_OUT=$(dirname "$log")
    rm -f "$E2E_OUT"/failure-*
    E2E_WORKDIR=$(mktemp -d)
    # E2E_CWD: the folder the program starts in instead, as a shell or a desktop
    # menu would start it somewhere else.
    # Settings the program remembers (a window's size) start afresh each run.
    (cd "${E2E_CWD:-$E2E_WORKDIR}" && XDG_STATE_HOME=${E2E_STATE_HOME:-$E2E_WORKDIR/state} \
        XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$E2E_WORKDIR/config} QT_QPA_PLATFORM=xcb exec "$program" "$@") \
        >"$log" 2>&1 &
    APP_PID=$!
    E2E_PIDS+=("$APP_PID") E2E_WORKDIRS+=("$E2E_WORKDIR")
    trap e2e_cleanup EXIT
}

# e2e_cleanup [STATUS]: the exit trap; the test's exit status decides whether the
# screen is kept for the record.
e2e_cleanup() {
    local status=${1:-$?} pid
    [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || e2e_keep_failure
    [ -z "${E2E_XCLIP_PID:-}" ] || kill "$E2E_XCLIP_PID" 2>/dev/null || true
    for pid in "${E2E_PIDS[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    [ ${#E2E_WORKDIRS[@]} -eq 0 ] || rm -rf "${E2E_WORKDIRS[@]}"
    return 0
}

# The screen and every window on it (title, class, geometry, which one has the
# focus, the program's own with their kinds) as the failure left them.
e2e_keep_failure() {
    [ -n "${E2E_OUT:-}" ] && [ -n "${DISPLAY:-}" ] || return 0
    local shot="$E2E_OUT/failure-screen.png" list="$E2E_OUT/failure-windows.txt" id
    import -window root "$shot" 2>/dev/null || shot=""
    {
        echo "focus: $(xdotool getwindowfocus -f 2>/dev/null)"
        echo "the program's visible windows (id, kind, title):"
        for id in $(e2e_program_windows); do
            echo "  $id $(e2e_window_kind "$id") '$(xdotool getwindowname "$id" 2>/dev/null)'"
        done
        echo
        xwininfo -root -tree 2>&1
    } >"$list"
    echo "failure artefacts: ${shot:-no screenshot} $list" >&2
}

# e2e_find_window XDOTOOL_SEARCH_ARGS...: waits until a visible window matches and
# sets FOUND to the first. One --sync search waits for it; a window that closes
# while xdotool looks at it (a file dialog going away) ends that search with
# BadWindow, and a new one takes over for the time left. (With a new search every
# tenth of a second instead, the program now and then failed to connect to the X
# server as it started.)
e2e_find_window() {
    local deadline=$(($(date +%s) + E2E_TIMEOUT)) left
    FOUND=""
    while left=$((deadline - $(date +%s))) && [ "$left" -gt 0 ]; do
        FOUND=$(timeout "$left" xdotool search --sync --onlyvisible "$@" 2>/dev/null | head -n 1) || true
        [ -z "$FOUND" ] || return 0
        sleep 0.1
    done
    return 1
}

# e2e_wait_window PROGRAM_REGEX [CLIENT_H CANVAS_DX CANVAS_DY BELOW]: waits until
# the main window ("<drawing> - <program>") of the program last started (APP_PID)
# is mapped and gives it the focus; sets WID, WIN_X, WIN_Y, WIN_W, WIN_H and the
# client/canvas origins (quillmap's unless given; BELOW is what lies under the
# client area).
e2e_wait_window() {
    e2e_find_window --all --pid "$APP_PID" --name "^.+ - $1\$" || e2e_fail "no window named '$1' within ${E2E_TIMEOUT}s"
    WID=$FOUND
    # shellcheck disable=SC2034  # getwindowgeometry sets all of these
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    # shellcheck disable=SC2034  # for the test scripts
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
    CLIENT_X=$WIN_X
    CLIENT_Y=$((WIN_Y + WIN_H - (${2:-688} + ${5:-26}) * E2E_SCALE))
    CANVAS_X=$((CLIENT_X + ${3:-14} * E2E_SCALE))
    CANVAS_Y=$((CLIENT_Y + ${4:-39} * E2E_SCALE))
    e2e_focus "$WID"
}

# e2e_shot FILE: a screenshot of the whole screen. PPM reads and writes far faster
# than PNG; convert the one worth keeping.
e2e_shot() { import -window root "$1"; }

# e2e_pixels FILE X,Y...: the colour of each screen pixel as "r,g,b" (0..255), one
# a line, read in a single pass over the file.
e2e_pixels() {
    local file=$1 format="" point x y
    shift
    for point in "$@"; do
        x=${point%,*} y=${point#*,}
        format+="%[fx:round(255*p{$x,$y}.r)],%[fx:round(255*p{$x,$y}.g)],%[fx:round(255*p{$x,$y}.b)]\n"
    done
    convert "$file" -format "$format" info:
}

# e2e_pixel FILE X Y: the colour of one pixel.
e2e_pixel() { e2e_pixels "$1" "$2,$3"; }

# e2e_expect_pixels FILE "NAME|X,Y|R,G,B"...: fails naming the first pixel whose
# colour differs.
e2e_expect_pixels() {
    local file=$1 check points=() got i=0
    shift
    for check in "$@"; do
        check=${check#*|}
        points+=("${check%%|*}")
    done
    mapfile -t got < <(e2e_pixels "$file" "${points[@]}")
    for check in "$@"; do
        local name=${check%%|*} want=${check##*|}
        [ "${got[$i]:-}" = "$want" ] ||
            e2e_fail "$name at ${points[$i]} is ${got[$i]:-unreadable}, expected $want (see $file)"
        i=$((i + 1))
    done
}

# e2e_ink FILE X Y W H: how many pixels of the region are darker than mid-grey.
e2e_ink() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace Gray -threshold 60% -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

# e2e_wait_for SECONDS COMMAND...: retries the command until it succeeds; false
# when SECONDS have passed without that, however long each try takes.
e2e_wait_for() {
    local deadline=$(($(date +%s%N) + $1 * 1000000000))
    shift
    until "$@"; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# e2e_await SECONDS COMMAND...: e2e_wait_for for what the program does while no
# dialog is expected: a dialog that opens meanwhile fails the test at once.
e2e_await() {
    local seconds=$1
    shift
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_try() { "$@" && return 0; e2e_expect_no_dialog; return 1; }
    e2e_wait_for "$seconds" _e2e_try "$@"
}

# e2e_wait_exit SECONDS: waits for the program to end; fails if it does not, or
# ends with an error status.
e2e_wait_exit() {
    # shellcheck disable=SC2016  # expanded by eval, on every try
    e2e_await "$1" eval '! kill -0 "$APP_PID" 2>/dev/null' || e2e_fail "the program did not end within $1s"
    local status=0 pid kept=()
    wait "$APP_PID" || status=$?
    for pid in "${E2E_PIDS[@]}"; do [ "$pid" = "$APP_PID" ] || kept+=("$pid"); done
    E2E_PIDS=("${kept[@]}")
    APP_PID=
    [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
}

# --- Driving the editor --------------------------------------------------------
# Positions below are canvas client pixels (15 twips each) unless a name says
# screen; the helpers turn them into screen positions.

BLACK=0,0,0 WHITE=255,255,255 GREEN=0,255,0
# The guide lines drawn while a drag lines something up.
# shellcheck disable=SC2034  # read by the test scripts
GUIDE=230,0,140

e2e_screen_x() { echo $((CANVAS_X + $1 * E2E_SCALE)); }
e2e_screen_y() { echo $((CANVAS_Y + $1 * E2E_SCALE)); }

# e2e_move X Y / e2e_click X Y [BUTTON]: the pointer over a canvas point.
e2e_move() { xdotool mousemove "$(e2e_screen_x "$1")" "$(e2e_screen_y "$2")"; }
e2e_click() { e2e_move "$1" "$2" && xdotool click "${3:-1}"; }

# e2e_drag X1 Y1 X2 Y2: presses at the first point and releases at the second,
# passing through points between so that the program sees a drag.
e2e_drag() {
    local i steps=5
    e2e_move "$1" "$2"
    xdotool mousedown 1
    for i in $(seq 1 $steps); do
        e2e_move $(($1 + ($3 - $1) * i / steps)) $(($2 + ($4 - $2) * i / steps))
    done
    xdotool mouseup 1
}

# e2e_toolbar N: clicks toolbar button N (1..14; 11 is the separator). Buttons are
# 24 px wide with 1 px between them, 4 px in from the client area's corner.
e2e_toolbar() {
    local x
    if [ "$1" -le 10 ]; then x=$((16 + 25 * ($1 - 1))); elif [ "$1" -eq 11 ]; then x=257; else x=$((273 + 25 * ($1 - 12))); fi
    xdotool mousemove $((CLIENT_X + x * E2E_SCALE)) $((CLIENT_Y + 14 * E2E_SCALE)) click 1
}

# The program's visible top-level windows, one id a line. A search that a closing
# window cut short (BadWindow) is made again, so that no window seems gone early.
e2e_program_windows() {
    local all
    for _ in {1..20}; do
        all=$(xdotool search --onlyvisible --pid "$APP_PID" 2>&1) || true
        [[ $all == *"X Error"* ]] || break
    done
    grep -E '^[0-9]+$' <<<"$all" || true
}

# e2e_window_kind ID: dialog (a question, a file dialog, the About box), tooltip,
# popup (a menu or a completion list: drawn past any window manager) or window.
e2e_window_kind() {
    xwininfo -id "$1" -wm -stats 2>/dev/null | awk '
        /Override Redirect State: yes/ { popup = 1 }
        /Window type:/ { getline; type = $1 }
        END { print type == "Dialog" ? "dialog" : type == "Tooltip" ? "tooltip" : popup ? "popup" : "window" }'
}

# e2e_windows KIND: the program's visible windows of that kind as "ID TITLE" lines;
# titles are read as the program sets them (_NET_WM_NAME, UTF-8).
e2e_windows() {
    local id
    for id in $(e2e_program_windows); do
        [ "$id" != "${WID:-}" ] && [ "$(e2e_window_kind "$id")" = "$1" ] &&
            echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    return 0
}

# Fails naming the dialog the program has open, if any: a step that expects none
# calls it, so that a question nobody answers fails where it appears.
e2e_expect_no_dialog() {
    local open
    open=$(e2e_windows dialog)
    [ -z "$open" ] || e2e_fail "a dialog the test did not expect is open: ${open#* } (window ${open%% *})"
}

# shellcheck disable=SC2120  # NOT_ID is optional
# e2e_wait_popup [NOT_ID]: waits for a popup menu other than NOT_ID; sets POPUP,
# POPUP_X, POPUP_Y.
e2e_wait_popup() {
    local not=${1:-none} id=""
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_find_popup() { id=$(e2e_windows popup | cut -d' ' -f1 | grep -vx "$not" | tail -n 1); [ -n "$id" ]; }
    e2e_await "$E2E_TIMEOUT" _e2e_find_popup || e2e_fail "no popup menu appeared"
    POPUP=$id
    # shellcheck disable=SC2034  # getwindowgeometry sets all of these
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$POPUP")"
    POPUP_X=$X POPUP_Y=$Y
}

# e2e_menu_item K [SKIP]: clicks item K (0 = the first) of the popup that
# e2e_wait_popup found; SKIP separators above it add their 4 px each.
# Items are 22 px high, the first one's middle 11 px below the menu's top.
e2e_menu_item() {
    xdotool mousemove $((POPUP_X + 40 * E2E_SCALE)) $((POPUP_Y + (11 + 22 * $1 + 4 * ${2:-0}) * E2E_SCALE)) click 1
}

# e2e_wait_gone ID: waits until the window is no longer visible.
e2e_wait_gone() {
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_gone() { ! e2e_program_windows | grep -qx "$1"; }
    e2e_wait_for "$E2E_TIMEOUT" _e2e_gone "$1" || e2e_fail "window $1 did not go away"
}

# e2e_focus ID: gives the window the keyboard focus and waits until it has it.
# Without a window manager nobody else does: at start the focus follows the
# pointer, and when a dialog closes it goes nowhere in particular.
e2e_focus() {
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_focused() {
        [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$1" ] && return 0
        xdotool windowfocus "$1" 2>/dev/null
        return 1
    }
    e2e_wait_for "$E2E_TIMEOUT" _e2e_focused "$1" || e2e_fail "window $1 did not take the focus"
}

# shellcheck disable=SC2034  # for the test scripts
# The titles of the dialogs the tests meet. Qt's file dialogs are titled in
# Chinese when Qt's translations are installed, in English otherwise.
E2E_QUESTION='^提示$' E2E_ABOUT='^关于 Quillmap$'
E2E_OPEN_DIALOG='^(打开|Open)$' E2E_SAVE_DIALOG='^(另存为|Save As)$'

# e2e_wait_dialog TITLE_REGEX: waits for the program's dialog with that title and
# for it to have the focus; sets DIALOG. Any other dialog fails the test at once.
e2e_wait_dialog() {
    DIALOG=""
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_find_dialog() {
        local id title
        while read -r id title; do
            [[ $title =~ $1 ]] || e2e_fail "waiting for a dialog titled '$1', '$title' opened (window $id)"
            DIALOG=$id
            return 0
        done < <(e2e_windows dialog)
        return 1
    }
    e2e_wait_for "$E2E_TIMEOUT" _e2e_find_dialog "$1" || e2e_fail "no dialog titled '$1' appeared"
    e2e_focus "$DIALOG"
}

# e2e_answer TITLE_REGEX KEY...: waits for that dialog, answers it with the keys
# (a button's letter, Escape, Return) and waits until it is gone.
e2e_answer() {
    e2e_wait_dialog "$1"
    local dialog=$DIALOG
    shift
    xdotool key --clearmodifiers "$@"
    e2e_wait_gone "$dialog"
}

# e2e_file_dialog open|save PATH: waits for Qt's file dialog, puts the full path
# into its name box and accepts it once the box holds exactly that path. Return
# goes to the box even while its completion list is open, and accepts.
e2e_file_dialog() {
    local title
    case $1 in
        open) title=$E2E_OPEN_DIALOG ;;
        save) title=$E2E_SAVE_DIALOG ;;
        *) e2e_fail "e2e_file_dialog: open or save, not '$1'" ;;
    esac
    e2e_wait_dialog "$title"
    local dialog=$DIALOG text
    # Alt+N is the access key of the name box's label (文件名称(N), File name).
    xdotool key --clearmodifiers alt+n ctrl+a
    xdotool type --delay 5 "$2"
    text=$(e2e_focused_text) || e2e_fail "nothing could be copied from the file dialog's name box"
    [ "$text" = "$2" ] || e2e_fail "the file dialog's name box holds '$text', not '$2'"
    xdotool key --clearmodifiers Return
    # A completion list that popped up under the name box as it was typed takes the
    # first Return (it only closes the list); the dialog then still holds the name.
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_dialog_gone() { ! e2e_program_windows | grep -qx "$dialog"; }
    if ! e2e_wait_for 5 _e2e_dialog_gone && [ "$(xdotool getwindowfocus -f 2>/dev/null)" = "$dialog" ]; then
        xdotool key --clearmodifiers Return
    fi
    e2e_wait_gone "$dialog"
}

# e2e_matches FILE "NAME|X,Y|R,G,B"...: true when every canvas pixel has its colour.
e2e_matches() {
    local file=$1 check points=() got i=0
    shift
    for check in "$@"; do
        check=${check#*|}
        local p=${check%%|*}
        points+=("$(e2e_screen_x "${p%,*}"),$(e2e_screen_y "${p#*,}")")
    done
    mapfile -t got < <(e2e_pixels "$file" "${points[@]}")
    for check in "$@"; do
        [ "${got[$i]:-}" = "${check##*|}" ] || { E2E_MISMATCH="${check%%|*} is ${got[$i]:-unreadable}"; return 1; }
        i=$((i + 1))
    done
}

# e2e_wait_pixels SHOT "NAME|X,Y|R,G,B"...: takes screenshots until every canvas
# pixel has its colour; fails naming the first that never got it. The last
# screenshot stays in SHOT (and SHOT with .png for the record); LAST_SHOT names it.
e2e_wait_pixels() {
    local shot=$1
    shift
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_shot_matches() { e2e_shot "$shot" && e2e_matches "$shot" "$@"; }
    e2e_await "$E2E_TIMEOUT" _e2e_shot_matches "$@" || e2e_fail "$E2E_MISMATCH (see $shot)"
    convert "$shot" "${shot%.*}.png"
    # shellcheck disable=SC2034  # for the test scripts
    LAST_SHOT=$shot
}

# e2e_canvas_ink SHOT X Y W H: dark pixels in a canvas region.
e2e_canvas_ink() { e2e_ink "$1" "$(e2e_screen_x "$2")" "$(e2e_screen_y "$3")" $(($4 * E2E_SCALE)) $(($5 * E2E_SCALE)); }

# e2e_wait_painted SHOT: waits for the start-up canvas (the title block's table).
e2e_wait_painted() { e2e_wait_pixels "$1" "table frame|767,578|$BLACK" "canvas|480,320|$WHITE"; }

# e2e_count SHOT X Y W H R,G,B: how many pixels of a canvas region have that
# colour (not white): exactly, or within E2E_FUZZ (say 30% for anti-aliased text,
# whose few pure pixels are too few to count on).
e2e_count() {
    convert "$1" -crop "$(($4 * E2E_SCALE))x$(($5 * E2E_SCALE))+$(e2e_screen_x "$2")+$(e2e_screen_y "$3")" +repage \
        -fuzz "${E2E_FUZZ:-0}" \
        -fill white +opaque "rgb($6)" -fill black -opaque "rgb($6)" -colorspace Gray \
        -format '%[fx:round((1-mean)*w*h)]' info:
}

# e2e_green_pixels IMAGE: how many pixels of a whole picture (a saved or printed
# one) are near the selection's green: none, where the selection must not show.
e2e_green_pixels() {
    convert "$1" -fuzz 20% -fill white +opaque 'rgb(0,255,0)' -fill black -opaque 'rgb(0,255,0)' \
        -colorspace Gray -format '%[fx:round((1-mean)*w*h)]' info:
}

# e2e_wait_count SHOT X Y W H R,G,B MIN [MAX]: takes screenshots until the region
# holds between MIN and MAX pixels of the colour.
e2e_wait_count() {
    local shot=$1 n=""
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_count_in_range() {
        e2e_shot "$shot" || return 1
        n=$(e2e_count "$shot" "$2" "$3" "$4" "$5" "$6")
        [ "$n" -ge "$7" ] && [ "$n" -le "${8:-999999}" ]
    }
    e2e_await "$E2E_TIMEOUT" _e2e_count_in_range "$@" ||
        e2e_fail "$n pixels of $6 at $2,$3 ${4}x$5, expected $7..${8:-any} (see $shot)"
    convert "$shot" "${shot%.*}.png"
    # shellcheck disable=SC2034  # for the test scripts
    LAST_SHOT=$shot
}

# e2e_wait_file PATH: waits until the file exists and is not empty.
e2e_wait_file() {
    e2e_await "$E2E_TIMEOUT" test -s "$1" || e2e_fail "no file $1"
}

# e2e_clip TEXT: puts the text on the clipboard and waits until it is there.
e2e_clip() {
    # In the foreground (-quiet) so that it is ours to stop; away from the
    # test's output, which ctest waits on. It ends when another takes the clipboard.
    [ -z "${E2E_XCLIP_PID:-}" ] || kill "$E2E_XCLIP_PID" 2>/dev/null || true
    printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
    E2E_XCLIP_PID=$!
    # shellcheck disable=SC2034  # read by the eval below
    E2E_CLIP_TEXT=$1
    # shellcheck disable=SC2016  # expanded by eval, on every try
    e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(xclip -o -selection clipboard 2>/dev/null)" = "$E2E_CLIP_TEXT" ]' ||
        e2e_fail "the clipboard does not hold '$1'"
}

# e2e_focused_text: the text of the line edit that has the focus, copied with
# Ctrl+A, Ctrl+C over a marker, so that a copy that did not happen never reads as
# an old one; fails (printing what is there) when nothing was copied.
e2e_focused_text() {
    local marker="e2e marker $$" copied=""
    e2e_clip "$marker"
    xdotool key --clearmodifiers ctrl+a ctrl+c
    # shellcheck disable=SC2317  # run through e2e_wait_for
    _e2e_copied() { copied=$(xclip -o -selection clipboard 2>/dev/null) && [ "$copied" != "$marker" ]; }
    e2e_wait_for "$E2E_TIMEOUT" _e2e_copied
    local status=$?
    printf '%s\n' "$copied"
    return $status
}

# e2e_fill_field TEXT: puts TEXT in the focused line edit in one paste, reads it
# back, and waits until no completion list is open over it. Typed key by key, a
# path opens a file-name completer's list at every folder on the way; a list that
# opens late takes the Return meant for the dialog (the print dialog's output
# file). Pasted, the completer looks once, at a name that matches nothing yet.
e2e_fill_field() {
    local text
    e2e_clip "$1"
    xdotool key --clearmodifiers ctrl+a ctrl+v
    text=$(e2e_focused_text) || e2e_fail "nothing could be copied from the focused field"
    [ "$text" = "$1" ] || e2e_fail "the focused field holds '$text', not '$1'"
    # shellcheck disable=SC2317  # run through e2e_await
    _e2e_no_list() { [ -z "$(e2e_windows popup)" ]; }
    e2e_await "$E2E_TIMEOUT" _e2e_no_list || e2e_fail "a completion list stays open over the field"
}

# e2e_enter_text TEXT: typed into the main window's widget that has the focus.
# Characters the X keymap lacks (Chinese) are pasted from the clipboard: xdotool
# types them by remapping a key on the fly, which can lose characters on a
# loaded machine.
e2e_enter_text() {
    e2e_expect_no_dialog
    e2e_focus "$WID"
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
        e2e_clip "$1"
        xdotool key --clearmodifiers ctrl+v
    else
        xdotool type --delay 10 "$1"
    fi
}

# e2e_drop_rectangle X Y SHOT: a rectangle from the toolbar follows the pointer to
# (X, Y), where its top-left corner goes, and a click drops it there, selected.
e2e_drop_rectangle() {
    e2e_toolbar 1
    e2e_move "$1" "$2"
    e2e_wait_pixels "$3" "new rectangle|$(($1 + 60)),$2|$BLACK"
    xdotool click 1
    e2e_wait_pixels "$3" "dropped rectangle|$(($1 + 60)),$2|$GREEN"
}

# e2e_edit_label X Y TEXT SHOT: edits the caption of the label under (X, Y): a
# click selects it (green), a second click without moving opens the editor box
# (grey frame) with the caption selected, TEXT replaces it and Enter commits.
e2e_edit_label() {
    local x=$1 y=$2 text=$3 shot=$4 grey=128,128,128
    e2e_click "$x" "$y"
    E2E_FUZZ=30% e2e_wait_count "$shot" $((x - 20)) $((y - 8)) 40 16 "$GREEN" 5
    xdotool click 1
    e2e_wait_count "$shot" $((x - 60)) $((y - 14)) 120 32 "$grey" 40
    e2e_enter_text "$text"
    e2e_key Return
    e2e_wait_count "$shot" $((x - 60)) $((y - 14)) 120 32 "$grey" 0 0
}

# e2e_key KEY...: keys to the main window, which is given the focus first; no
# dialog may be open, since it would take them.
e2e_key() {
    e2e_expect_no_dialog
    e2e_focus "$WID"
    xdotool key --clearmodifiers "$@"
}

# e2e_menu_key KEY: a key for the popup menu that is open. The program hands
# every key it gets to its open menu, so the main window's focus is enough.
e2e_menu_key() {
    [ -n "$(e2e_windows popup)" ] || e2e_fail "no menu is open for the key $1"
    e2e_focus "$WID"
    xdotool key --clearmodifiers "$1"
}
