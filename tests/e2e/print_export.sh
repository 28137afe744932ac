#!/usr/bin/env bash
# Printing and exporting in the real program, which starts without Qt's print and
# SVG libraries: Ctrl+P opens the print dialog and printing to a PDF file from it
# writes one A4 landscape page; the print preview opens on the chart; "导出"
# writes a PDF, an SVG, a PNG and an OpenDocument drawing. Every file is read
# back by a reader that is not ours: poppler, python's XML parser and zip reader,
# ImageMagick.
# Usage: print_export.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
for tool in pdfinfo pdftotext pdffonts pdftoppm python3 identify convert; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed"
done
shot="$out/print.ppm"

e2e_start "$program" "$out/print.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"
# Qt's print support and SVG libraries come with the first print and the first SVG
# picture, not with the start.
for library in libQt6PrintSupport.so libQt6Svg.so; do
    ! grep -q "/$library" "/proc/$APP_PID/maps" || e2e_fail "$library is loaded at start"
done

# A rectangle captioned 开始, left selected (green): the commands leave it selected,
# and neither the page nor the pictures show the selection.
e2e_toolbar 1
e2e_move 100 200
e2e_wait_pixels "$shot" "new rectangle|160,200|$BLACK"
xdotool click 1
e2e_wait_pixels "$shot" "dropped rectangle|160,200|$GREEN"
e2e_edit_label 165 220 开始 "$shot"
e2e_click 106 206
e2e_wait_pixels "$shot" "selected rectangle|160,200|$GREEN"

# pdf_ready FILE: poppler reads the whole file (a printer writes it as it goes).
pdf_ready() { pdfinfo "$1" >/dev/null 2>&1; }

# expect_pdf FILE PAGE_SIZE: one page of that size, the chart's texts as text and
# the fonts embedded.
expect_pdf() {
    e2e_wait_for "$E2E_TIMEOUT" pdf_ready "$1" || e2e_fail "no readable PDF $1"
    local info text
    info=$(pdfinfo "$1")
    grep -q '^Pages: *1$' <<<"$info" || e2e_fail "$1 is not one page: $info"
    grep -q "^Page size: *$2" <<<"$info" || e2e_fail "$1 has not the page size $2: $info"
    text=$(pdftotext "$1" -)
    for word in 开始 单击这里添加标题 制作人; do
        grep -q "$word" <<<"$text" || e2e_fail "$1 has no text $word"
    done
    ! pdffonts "$1" | tail -n +3 | awk '{ print $(NF-4) }' | grep -qv yes || e2e_fail "$1 has fonts not embedded"
}

# --- Print: Ctrl+P, the PDF printer, a file name, Enter ----------------------------
e2e_key ctrl+p
e2e_wait_dialog '^(打印|Print)$'
dialog=$DIALOG
# The printer list ("名称(&N)") ends with printing to a PDF file; its output field
# is "输出文件(&F)" (in English "Output &file").
xdotool key --clearmodifiers alt+n End
xdotool key --clearmodifiers alt+f
e2e_fill_field "$E2E_WORKDIR/printed.pdf"
xdotool key --clearmodifiers Return
e2e_wait_gone "$dialog"
expect_pdf "$E2E_WORKDIR/printed.pdf" '842 x 595 pts (A4)'
cp "$E2E_WORKDIR/printed.pdf" "$out/printed.pdf"
e2e_wait_pixels "$shot" "rectangle, still selected|160,200|$GREEN"
pdftoppm -r 48 -png -singlefile "$out/printed.pdf" "$out/printed"
[ "$(e2e_green_pixels "$out/printed.png")" -eq 0 ] || e2e_fail "the printed page shows the selection"

# --- Print preview: the File menu by its keys ------------------------------------------
# file_menu KEY: opens the File menu and chooses the item with that access key.
file_menu() {
    e2e_key alt+f
    e2e_wait_popup
    e2e_menu_key "$1"
}
file_menu v
e2e_wait_dialog '^(打印预览|Print Preview)$'
preview=$DIALOG
# The page is drawn once the dialog is up: wait for the chart's ink on it.
eval "$(xdotool getwindowgeometry --shell "$preview" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
preview_drawn() { e2e_shot "$out/preview.ppm" && [ "$(e2e_ink "$out/preview.ppm" "$X" "$Y" "$WIDTH" "$HEIGHT")" -gt 3000 ]; }
e2e_wait_for "$E2E_TIMEOUT" preview_drawn || e2e_fail "the preview shows no chart (see $out/preview.ppm)"
convert "$out/preview.ppm" "$out/preview.png"
xdotool key --clearmodifiers Escape
e2e_wait_gone "$preview"

# --- Export: PDF by a name without extension, SVG, PNG and ODG ----------------------------
for name in chart chart.svg chart.png chart.odg; do
    file_menu x
    e2e_file_dialog save "$E2E_WORKDIR/$name"
done
expect_pdf "$E2E_WORKDIR/chart.pdf" '718 x 478 pts'
e2e_wait_file "$E2E_WORKDIR/chart.svg"
python3 - "$E2E_WORKDIR/chart.svg" <<'PY' || e2e_fail "the SVG is not the chart (see above)"
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag.endswith('svg') and root.get('viewBox') == '0 0 957 637', (root.tag, root.get('viewBox'))
texts = ''.join(e.text or '' for e in root.iter() if e.tag.endswith('text'))
for word in ('开始', '单击这里添加标题', '制作人'):
    assert word in texts, word
PY
e2e_wait_file "$E2E_WORKDIR/chart.png"
[ "$(identify -format '%m %w %h' "$E2E_WORKDIR/chart.png")" = "PNG 1914 1274" ] ||
    e2e_fail "the PNG is $(identify "$E2E_WORKDIR/chart.png")"
[ "$(e2e_green_pixels "$E2E_WORKDIR/chart.png")" -eq 0 ] || e2e_fail "the PNG shows the selection"
# A package LibreOffice knows by its first bytes: the mimetype first and stored;
# the rectangle a rectangle with its text, on an A4 landscape page.
e2e_wait_file "$E2E_WORKDIR/chart.odg"
python3 - "$E2E_WORKDIR/chart.odg" <<'PY' || e2e_fail "the ODG is not the chart (see above)"
import sys, zipfile
import xml.etree.ElementTree as ET
z = zipfile.ZipFile(sys.argv[1])
first = z.infolist()[0]
assert first.filename == 'mimetype' and first.compress_type == zipfile.ZIP_STORED, first
assert z.read('mimetype') == b'application/vnd.oasis.opendocument.graphics'
ns = {'draw': 'urn:oasis:names:tc:opendocument:xmlns:drawing:1.0',
      'fo': 'urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0',
      'style': 'urn:oasis:names:tc:opendocument:xmlns:style:1.0'}
content = ET.fromstring(z.read('content.xml'))
rects = [''.join(r.itertext()) for r in content.iter('{%s}rect' % ns['draw'])]
assert any('开始' in r for r in rects), rects
page = ET.fromstring(z.read('styles.xml')).find('.//style:page-layout-properties', ns)
assert page.get('{%s}page-width' % ns['fo']) == '297.000mm', page.attrib
assert page.get('{%s}page-height' % ns['fo']) == '210.000mm', page.attrib
PY
e2e_wait_pixels "$shot" "rectangle, still selected|160,200|$GREEN"
cp "$E2E_WORKDIR"/chart.* "$out/"

e2e_key ctrl+q
e2e_answer "$E2E_QUESTION" n
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: printed one A4 landscape page to PDF; preview shown; PDF, SVG, PNG and ODG exported and read back"
