#!/usr/bin/env bash
# Typing Chinese on a selected element through a real input method: fcitx5 with
# pinyin, on a session bus of the test's own. The sample chart's rectangle is
# selected; "liucheng" and a space typed on the canvas must give its first text
# 流程: the first key starts the composition in the text's box, none is lost to
# the canvas. Enter ends the edit and the saved file holds the text. Then the same
# word typed into the ellipse is found with Ctrl+H, the pattern typed with pinyin
# too, and 全部替换 replaces both at once; Ctrl+Z takes both back. Skips, saying
# why, where fcitx5, its pinyin or its Qt 6 module is not installed.
# Usage: input_method.sh PROGRAM QMPTOOL OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
qmptool=$2
shot="$out/input_method.ppm"

skip() {
    echo "input method test skipped: $*"
    exit 77
}
for tool in fcitx5 fcitx5-remote dbus-daemon; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -f /usr/share/fcitx5/inputmethod/pinyin.conf ] || skip "fcitx5's pinyin (fcitx5-chinese-addons) is not installed"
compgen -G '/usr/lib/*/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so' >/dev/null ||
    skip "fcitx5's Qt 6 module (fcitx5-frontend-qt6) is not installed"

# fcitx5 with pinyin on from the start, its settings and history in the output
# folder, talking to the program over a bus of our own.
im_home="$out/im"
rm -rf "$im_home"
mkdir -p "$im_home/config/fcitx5" "$im_home/data"
cat >"$im_home/config/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=pinyin

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=pinyin
Layout=

[GroupOrder]
0=Default
EOF
printf '[Behavior]\nActiveByDefault=True\n' >"$im_home/config/fcitx5/config"
export XDG_CONFIG_HOME="$im_home/config" XDG_DATA_HOME="$im_home/data"
{
    read -r DBUS_SESSION_BUS_ADDRESS
    read -r dbus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
fcitx5 -D --disable=wayland,waylandim,cloudpinyin,clipboard >"$out/fcitx5.log" 2>&1 &
fcitx_pid=$!
stop_input_method() {
    local status=$?
    e2e_cleanup "$status"
    kill "$fcitx_pid" 2>/dev/null || true
    wait "$fcitx_pid" 2>/dev/null || true
    kill "$dbus_pid" 2>/dev/null || true
    return "$status"
}
trap stop_input_method EXIT
# shellcheck disable=SC2317  # run through e2e_wait_for
pinyin_ready() { fcitx5-remote >/dev/null 2>&1 && grep -q 'Loaded addon pinyin' "$out/fcitx5.log"; }
e2e_wait_for "$E2E_TIMEOUT" pinyin_ready || e2e_fail "fcitx5 with pinyin did not start (see $out/fcitx5.log)"

# The sample chart, opened from the command line and saved in place, so that no
# file dialog takes keys through the input method.
file="$out/typed.QMP"
cp "$E2E_DIR/../package/流程图.QMP" "$file"
export QT_IM_MODULE=fcitx
e2e_start "$program" "$out/input_method.log" "$file"
trap stop_input_method EXIT
e2e_wait_window Quillmap
e2e_wait_painted "$out/start.ppm"

# Its rectangle selected by a click inside it, clear of its texts: green.
e2e_click 200 245
e2e_wait_pixels "$shot" "top edge|260,171|$GREEN"

# Pinyin typed on the canvas, the first candidate taken with the space.
e2e_key l
e2e_wait_count "$shot" 196 171 131 81 128,128,128 40  # the box's grey frame is open
xdotool type --delay 30 iucheng
xdotool key space
e2e_key Return
e2e_wait_count "$shot" 196 171 131 81 128,128,128 0 10  # and closed
e2e_key ctrl+s
# 流程 in GBK, as the rectangle's whole upper text: two bytes of length before it.
# shellcheck disable=SC2016  # expanded by eval, on every try
e2e_await "$E2E_TIMEOUT" eval 'LC_ALL=C grep -qaP "\\x04\\x00\\xc1\\xf7\\xb3\\xcc" "$file"' ||
    e2e_fail "the rectangle's text is not 流程 in the saved file ($file)"
e2e_shot "$out/typed.ppm"

# The first texts of the rectangle and the ellipse, as the saved file holds them.
first_texts() { "$qmptool" dump --text "$file" | sed -n 's/^\(rectangle 1\|ellipse 2\) .* size [^ ]* "\([^"]*\)".*/\2/p' | paste -sd' '; }
# shellcheck disable=SC2317  # run through e2e_await
saved_as() { e2e_key ctrl+s && [ "$(first_texts)" = "$1" ]; }

# The same word in the ellipse's first text.
e2e_click 566 411
e2e_wait_count "$shot" 600 369 40 4 "$GREEN" 5  # its top, green
e2e_key l
e2e_wait_count "$shot" 556 371 131 81 128,128,128 40
xdotool type --delay 30 iucheng
xdotool key space
e2e_key Return
e2e_wait_count "$shot" 556 371 131 81 128,128,128 0 10
e2e_await "$E2E_TIMEOUT" saved_as "流程 流程" || e2e_fail "the two texts are not 流程 before replacing: $(first_texts)"

# Ctrl+H, the pattern in pinyin: the first hit in reading order, the
# rectangle's text, is selected as it is typed.
e2e_key ctrl+h
xdotool type --delay 30 liucheng
xdotool key space
e2e_wait_pixels "$shot" "rectangle found|260,171|$GREEN"
# Tab to the replacement, 全部替换 with Alt+A, Esc back to the canvas.
xdotool key Tab
xdotool type --delay 30 2026
xdotool key alt+a
e2e_shot "$out/replaced.ppm"
e2e_key Escape
e2e_await "$E2E_TIMEOUT" saved_as "2026 2026" || e2e_fail "全部替换 did not make both texts 2026: $(first_texts)"
# One step takes both back.
e2e_key ctrl+z
e2e_await "$E2E_TIMEOUT" saved_as "流程 流程" || e2e_fail "Ctrl+Z did not bring both 流程 back: $(first_texts)"

e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: liucheng and a space typed on a selected rectangle with fcitx5 pinyin made its text 流程;"
echo "      found with a pinyin pattern, both 流程 became 2026 in one 全部替换, and Ctrl+Z brought them back"
