#!/usr/bin/env bash
# 批量导出 in the real program: a folder of a thousand charts in nested folders,
# a damaged one among them, exported as printed PDF pages into another folder; the
# progress dialog shows, Escape cancels it once some pages are written, and the
# summary follows. What was written is whole, mirrors the tree and stays; the rest
# was never started; the damaged chart has no page; nothing is written among the
# charts.
# Usage: batch_export.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
command -v pdfinfo >/dev/null || e2e_fail "pdfinfo is not installed"
chart=$(realpath "$(dirname "$0")/../package/流程图.QMP")
shot="$out/batch.ppm"

e2e_start "$program" "$out/batch.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"

src="$E2E_WORKDIR/档案" dst="$E2E_WORKDIR/档案-pdf"
total=1000
for year in 2019 2020; do
    for team in 财务 人事; do
        mkdir -p "$src/$year/$team"
        for k in $(seq 1 $((total / 4))); do cp "$chart" "$src/$year/$team/图$k.QMP"; done
    done
done
# First in the walk's order, so that it is done before the cancel.
printf 'not a chart' >"$src/2019/人事/图0.QMP"
total=$((total + 1))
before=$(find "$src" -type f | wc -l)

e2e_key alt+f
e2e_wait_popup
e2e_menu_key t
e2e_wait_dialog '^批量导出$'
e2e_fill_field "$src"
xdotool key --clearmodifiers Tab Tab
e2e_fill_field "$dst"
xdotool key --clearmodifiers Return

e2e_wait_dialog '^正在批量导出$'
progress=$DIALOG
some_written() { [ "$(find "$dst" -name '*.pdf' 2>/dev/null | wc -l)" -ge 5 ]; }
e2e_wait_for "$E2E_TIMEOUT" some_written || e2e_fail "no pages were written"
e2e_shot "$out/progress.ppm" && convert "$out/progress.ppm" "$out/progress.png"
xdotool key --clearmodifiers Escape
e2e_wait_gone "$progress"
e2e_wait_dialog '^批量导出$'
e2e_shot "$out/summary.ppm" && convert "$out/summary.ppm" "$out/summary.png"

written=$(find "$dst" -type f | wc -l)
[ "$written" -lt $((total - 1)) ] || e2e_fail "all $written pages were written: the cancel stopped nothing"
[ "$(find "$dst" -type f ! -name '*.pdf' | wc -l)" -eq 0 ] || e2e_fail "files other than pages: $(find "$dst" -type f ! -name '*.pdf')"
[ ! -e "$dst/2019/人事/图0.pdf" ] || e2e_fail "the damaged chart has a page"
while IFS= read -r -d '' pdf; do
    pdfinfo "$pdf" 2>/dev/null | grep -q '^Page size: *842 x 595 pts (A4)' || e2e_fail "$pdf is no whole A4 page"
done < <(find "$dst" -name '*.pdf' -print0)
[ -f "$dst/2019/人事/图1.pdf" ] || e2e_fail "the pages do not mirror the charts' folders"
[ "$(find "$src" -type f | wc -l)" -eq "$before" ] || e2e_fail "files were written among the charts"

xdotool key --clearmodifiers Return
e2e_wait_gone "$DIALOG"
e2e_key ctrl+q
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: 批量导出 wrote $written of $total pages before the cancel, each whole, in the charts' tree; the damaged chart failed"
