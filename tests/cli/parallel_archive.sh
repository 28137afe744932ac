#!/usr/bin/env bash
# The README's GNU parallel recipe for whole archives, run as written but on this
# machine alone (parallel's local login ":"): its PDF files are those of one
# batch over the same archive, but for the moment each was made.
# Usage: parallel_archive.sh QMPTOOL README.md CHART
set -euo pipefail
readme=$(realpath "$2")
chart=$(realpath "$3")
command -v parallel >/dev/null || { echo "GNU parallel is not installed: test skipped"; exit 77; }

# shellcheck source=tests/cli/installed_tool.sh
source "$(dirname "$0")/installed_tool.sh" "$1"

mkdir -p "$dir/档案/2019/财务" "$dir/档案/2020" "$dir/档案/团队 A"
for path in 2019/财务/图1.QMP 2019/a.qmp 2020/b.Qmp "团队 A/c.QMP"; do cp "$chart" "$dir/档案/$path"; done

recipe=$(grep -m1 '| parallel --sshlogin' "$readme") || fail "no parallel recipe in $readme"
local_recipe=$(sed -E 's/--sshlogin [^ ]+/--sshlogin :/' <<<"$recipe")
(cd "$dir" && eval "$local_recipe") || fail "the recipe failed: $local_recipe"
qmptool print --quiet "$dir/档案" -o "$dir/batch"

undated() { sed -E 's#/CreationDate \(D:[0-9Z+'"'"'-]*\)##' "$1"; }
count=0
while IFS= read -r -d '' pdf; do
    name=${pdf#"$dir/batch/"}
    [ -f "$dir/档案-pdf/$name" ] || fail "the recipe did not write $name"
    cmp -s <(undated "$pdf") <(undated "$dir/档案-pdf/$name") || fail "$name differs from the batch's"
    count=$((count + 1))
done < <(find "$dir/batch" -type f -print0)
[ "$count" -eq 4 ] || fail "the batch wrote $count files, not 4"
[ "$(find "$dir/档案-pdf" -type f | wc -l)" -eq 4 ] || fail "the recipe wrote other files"
echo "the recipe and one batch wrote the same $count charts"
