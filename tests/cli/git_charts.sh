#!/usr/bin/env bash
# Charts in git, end to end with the real git: a repository set up with the lines
# the README gives under "Charts in git" (read from the README itself), two
# commits of a chart whose caption changed; `git diff` shows the changed caption
# as text and `git difftool` with the documented tool writes the picture.
# Usage: git_charts.sh QMPTOOL README.md
set -euo pipefail
readme=$(realpath "$2")
command -v git >/dev/null || { echo "git is not installed: test skipped"; exit 77; }

# shellcheck source=tests/cli/installed_tool.sh
source "$(dirname "$0")/installed_tool.sh" "$1"
export GIT_CONFIG_NOSYSTEM=1  # git's settings only the test's own
repo=$dir

# A qmp chart of one label with the caption given, made a quillmap chart (with its
# title block) by qmptool convert.
chart() {
    python3 - "$repo/one.qmp" "$1" <<'PY'
import struct, sys
caption = sys.argv[2].encode("gbk")
label = struct.pack("<hhH", 1500, 1500, len(caption)) + caption + struct.pack("<h", -1) + bytes(16)
with open(sys.argv[1], "wb") as f:
    f.write(struct.pack("<hh", 0, 1) + label + struct.pack("<hhh", 0, 0, 0))
PY
    qmptool convert "$repo/one.qmp" "$repo/work/流程图.QMP"
}

mkdir -p "$repo/work" "$HOME"
cd "$repo/work"
git init -q
git config user.name "Quillmap test" && git config user.email "test@quillmap.invalid"
# The README's lines, exactly as a user would paste them.
setup=$(awk '/^## Charts in git/ { section = 1 } section && /^```sh/ { block = 1; next } block && /^```/ { exit } block' "$readme")
[ "$(grep -c . <<<"$setup")" -ge 2 ] || fail "no set-up lines under \"Charts in git\" in $readme"
eval "$setup"

chart "开始"
git add .gitattributes 流程图.QMP && git commit -q -m "first"
chart "开始审核"
git commit -q -am "caption changed"

diff=$(git diff HEAD~1 HEAD -- 流程图.QMP)
echo "$diff"
grep -qx -- '-label 9 at (100, 100) "开始"' <<<"$diff" || fail "git diff does not show the old caption as text"
grep -qx -- '+label 9 at (100, 100) "开始审核"' <<<"$diff" || fail "git diff does not show the new caption as text"
[ "$(grep -c '^[-+][^-+]' <<<"$diff")" -eq 2 ] || fail "git diff shows more than the changed caption"

git difftool -y -t qmp-picture HEAD~1 HEAD -- 流程图.QMP
[ -s 流程图.QMP.changes.png ] || fail "git difftool wrote no picture"
[ "$(head -c 8 流程图.QMP.changes.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "the picture git difftool wrote is no PNG"
echo "git diff shows the caption, git difftool wrote the picture"
