#!/usr/bin/env bash
# Assistive technology outside the program: a real AT-SPI client (Debian's pyatspi,
# on a session bus and accessibility bus of the test's own) reads the window as a
# screen reader would: the toolbar's buttons by name, the elements of an opened
# chart with their texts, and the selected elements as Tab and 全选 select them.
# Usage: accessibility.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
# A session bus of our own, gone with the test.
if [ -z "${E2E_A11Y_BUS:-}" ]; then
    command -v dbus-run-session >/dev/null || e2e_fail "dbus-run-session is not installed"
    exec env E2E_A11Y_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || e2e_fail "at-spi2-core is not installed"
# Debian's python3, which python3-pyatspi is for, whatever else is first on PATH.
client() { /usr/bin/python3 "$E2E_DIR/atspi_client.py" "$@" 2>/dev/null; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || e2e_fail "python3-pyatspi is not installed"

# The session bus starts the accessibility bus's launcher itself when first asked
# (at-spi2-core's service file), and ends it with the session. One started here
# as well raced that one for the bus name, and the loser's early exit made the
# cleanup fail a test that had passed.
_bus_up() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }
e2e_wait_for "$E2E_TIMEOUT" _bus_up || e2e_fail "the accessibility bus did not start"

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_start "$program" "$out/accessibility.log" "$E2E_DIR/../package/流程图.QMP"
e2e_wait_window Quillmap
e2e_wait_painted "$out/start.ppm"

# answers QUESTION EXPECTED: waits until the client's answer is exactly EXPECTED.
answers() {
    local question=$1 want=$2 got=""
    _e2e_answer() { got=$(client "$question") && [ "$got" = "$want" ]; }
    e2e_await "$E2E_TIMEOUT" _e2e_answer || e2e_fail "the $question reads
$got
instead of
$want"
}

answers toolbar "更多工具
矩形
菱形
椭圆
左箭头
右箭头
上箭头
下箭头
折线箭头
标签
竖向标签
新建
打开
保存"
text=单击这里添加文本
answers canvas "矩形：$text / $text
椭圆：$text / $text
右箭头
菱形：$text / $text
标题栏：单击这里添加标题 / 编号: / 制作人：单击添加制作人 / 审核：单击添加审核 / 依据：单击添加依据"
answers selected ""

# Tab selects the number field, read as the title block's, then the title and
# the first element, and the next: green on the screen, selected to the client.
e2e_key Tab
answers selected "标题栏：单击这里添加标题 / 编号: / 制作人：单击添加制作人 / 审核：单击添加审核 / 依据：单击添加依据"
e2e_key Tab Tab
answers selected "矩形：$text / $text"
e2e_key Tab
answers selected "椭圆：$text / $text"
e2e_key shift+Tab shift+Tab
answers selected "标题栏：单击这里添加标题 / 编号: / 制作人：单击添加制作人 / 审核：单击添加审核 / 依据：单击添加依据"
e2e_shot "$out/selected.ppm"
convert "$out/selected.ppm" "$out/selected.png"

# 全选: every element it selects (all but the title block) reads as selected.
e2e_key ctrl+a
answers selected "矩形：$text / $text
椭圆：$text / $text
右箭头
菱形：$text / $text"
e2e_key Escape
answers selected ""

e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"  # selecting changed nothing: no question
echo "PASS: toolbar buttons, the chart's elements and the selection read through AT-SPI"
