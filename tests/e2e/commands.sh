#!/usr/bin/env bash
# Every command of the real program once, as a user reaches it: the fourteen
# toolbar buttons, every item of the File, Edit and Help menus from the menu bar.
# Each command is checked by what it leaves on the screen or on disk; the BMP
# export is read back with ImageMagick (size, depth and pixels).
# Usage: commands.sh PROGRAM OUTPUT_DIR
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh" || exit 1
e2e_begin "$@"
mkdir -p "$out/bin"
shot="$out/commands.ppm"

# The help command's viewer: one that notes what it was asked to show and then
# fails, as xdg-open does when no program opens the file.
cat >"$out/bin/xdg-open" <<EOF
#!/bin/sh
echo "\$1" > "$out/viewer.txt"
exit 3
EOF
chmod +x "$out/bin/xdg-open"
rm -f "$out/viewer.txt"
export PATH="$out/bin:$PATH"

e2e_start "$program" "$out/commands.log"
e2e_wait_window Quillmap
e2e_wait_painted "$shot"

# menu TITLE_X ITEM [SUBITEM]: opens a menu of the menu bar by its title (x from
# the window's left) and chooses an item, or an item of the item's submenu.
# SKIP=n counts separators above the item. The Edit menu starts with Undo, Redo
# and a separator, then the six clipboard items and a separator.
FILE_MENU=30 EDIT_MENU=85 HELP_MENU=200  # 视图 lies between Edit and Help
menu() {
    xdotool mousemove $((WIN_X + $1)) $((WIN_Y + 9)) click 1
    e2e_wait_popup
    local top=$POPUP
    if [ $# -eq 3 ]; then
        e2e_menu_item "$2" "${SKIP:-0}"
        e2e_wait_popup "$top"
        e2e_menu_item "$3"
    else
        e2e_menu_item "$2" "${SKIP:-0}"
    fi
    e2e_wait_gone "$top"
}

# place X Y NAME|DX,DY|: moves what follows the pointer to (X, Y), waits until the
# pixel at (X+DX, Y+DY) is black, then drops it with a click and waits for green.
place() {
    local x=$1 y=$2 dx=$3 dy=$4
    e2e_move "$x" "$y"
    e2e_wait_pixels "$shot" "new element|$((x + dx)),$((y + dy))|$BLACK"
    xdotool click 1
    e2e_wait_pixels "$shot" "dropped element|$((x + dx)),$((y + dy))|$GREEN"
}

# place_label X Y: the same for a label, whose text is checked by its ink.
place_label() {
    e2e_move "$1" "$2"
    E2E_FUZZ=30% e2e_wait_count "$shot" "$1" "$2" 14 14 "$BLACK" 5
    xdotool click 1
    E2E_FUZZ=30% e2e_wait_count "$shot" "$1" "$2" 14 14 "$GREEN" 5
}

# --- The toolbar's insert buttons, 1 to 10 ------------------------------------
e2e_toolbar 1 && place 40 120 60 0      # rectangle: its top edge
e2e_toolbar 2 && place 200 120 80 40    # diamond: its middle line
e2e_toolbar 3 && place 400 120 65 41    # ellipse: its divider
e2e_toolbar 4 && place 600 120 -40 0    # left arrow, 80 px to the left of its tail
e2e_toolbar 5 && place 600 180 40 0     # right arrow
e2e_toolbar 6 && place 750 250 0 -40    # up arrow
e2e_toolbar 7 && place 850 120 0 40     # down arrow
e2e_toolbar 8                           # polyline arrow: two segments
e2e_click 40 330
e2e_click 140 330
e2e_click 140 400 3
e2e_wait_pixels "$shot" "polyline arrow|90,330|$BLACK" "its second segment|140,370|$BLACK"
e2e_toolbar 9 && place_label 300 330
e2e_toolbar 10 && place_label 450 310
convert "$shot" "$out/1-toolbar.png"

# Button 11 is the separator: the screen stays as it is.
e2e_shot "$out/before-11.ppm"
e2e_toolbar 11
same_canvas() {
    e2e_shot "$shot"
    [ "$(compare -metric AE -extract "957x637+$CANVAS_X+$CANVAS_Y" "$out/before-11.ppm" "$shot" null: 2>&1)" = 0 ]
}
for _ in 1 2 3 4 5; do same_canvas || e2e_fail "button 11 changed the canvas (see $shot)"; done

# --- The Edit menu from the menu bar ------------------------------------------
SKIP=2 menu $EDIT_MENU 8 && place 40 450 60 0        # 插入矩形
SKIP=2 menu $EDIT_MENU 9 && place 200 450 65 41      # 插入椭圆
SKIP=2 menu $EDIT_MENU 10 && place 360 440 80 40     # 插入菱形
SKIP=2 menu $EDIT_MENU 11 && place_label 560 450     # 插入标签
SKIP=2 menu $EDIT_MENU 12 && place_label 700 420     # 插入竖向标签
SKIP=2 menu $EDIT_MENU 13 0 && place 800 560 0 -40   # 上箭头
SKIP=2 menu $EDIT_MENU 13 1 && place 560 520 0 40    # 下箭头
SKIP=2 menu $EDIT_MENU 13 2 && place 700 600 -40 0   # 左箭头
SKIP=2 menu $EDIT_MENU 13 3 && place 300 600 40 0    # 右箭头
SKIP=2 menu $EDIT_MENU 13 4                          # 折线箭头
e2e_click 40 600
e2e_click 200 600 3
e2e_wait_pixels "$shot" "polyline arrow|120,600|$BLACK"
convert "$shot" "$out/2-edit-menu.png"
# 删除 hides the selected element: the right arrow, selected by a click.
e2e_click 340 600
e2e_wait_pixels "$shot" "selected arrow|340,600|$GREEN"
SKIP=3 menu $EDIT_MENU 17
e2e_wait_pixels "$shot" "deleted arrow|340,600|$WHITE" "other arrow|120,600|$BLACK"

# 复制 and 粘贴: the rectangle again 10 pixels right and down, selected; 创建副本
# once more from the copy; 剪切 takes the last one away; 全选 selects everything
# but the title block.
e2e_click 45 455
e2e_wait_pixels "$shot" "selected rectangle|100,450|$GREEN"
SKIP=1 menu $EDIT_MENU 3
SKIP=1 menu $EDIT_MENU 4
e2e_wait_pixels "$shot" "pasted rectangle|175,460|$GREEN" "the original|100,450|$BLACK"
SKIP=1 menu $EDIT_MENU 5
e2e_wait_pixels "$out/2-pasted.ppm" "duplicate|185,470|$GREEN" "pasted rectangle|175,460|$BLACK"
SKIP=1 menu $EDIT_MENU 2
e2e_wait_pixels "$shot" "cut duplicate|185,470|$WHITE" "pasted rectangle|175,460|$BLACK"
SKIP=1 menu $EDIT_MENU 6
e2e_wait_pixels "$out/2-all.ppm" "all: the rectangle|100,450|$GREEN" "the pasted one|175,460|$GREEN" \
    "an arrow|120,600|$GREEN" "not the title block|767,578|$BLACK"
# 复制图表为图片: the chart without the canvas's frame at twice its pixels, as
# another program reads it from the clipboard.
SKIP=1 menu $EDIT_MENU 7
has_png() { xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -qx image/png; }
e2e_wait_for "$E2E_TIMEOUT" has_png || e2e_fail "no PNG on the clipboard"
xclip -o -selection clipboard -t image/png >"$out/chart.png"
[ "$(identify -format '%w %h' "$out/chart.png")" = "1914 1274" ] || e2e_fail "the chart is $(identify "$out/chart.png")"
chart_pixel() { convert "$out/chart.png" -format "%[fx:round(255*p{$1}.r)],%[fx:round(255*p{$1}.g)],%[fx:round(255*p{$1}.b)]" info:; }
[ "$(chart_pixel 0,0)" = "$WHITE" ] || e2e_fail "the chart's corner is $(chart_pixel 0,0): a frame?"
[ "$(chart_pixel 200,900)" = "$BLACK" ] || e2e_fail "the rectangle's top edge in the chart is $(chart_pixel 200,900)"
[ "$(chart_pixel 1534,1156)" = "$BLACK" ] || e2e_fail "the title block's frame in the chart is $(chart_pixel 1534,1156)"

# --- The File menu -------------------------------------------------------------
# 新建 on a changed drawing asks first; No starts over.
menu $FILE_MENU 0
e2e_answer "$E2E_QUESTION" n
e2e_wait_pixels "$out/3-new.ppm" "old rectangle|100,120|$WHITE" "table|767,578|$BLACK"

e2e_toolbar 1 && place 100 200 60 0
menu $FILE_MENU 2  # 保存: untitled, so it asks for a name
e2e_file_dialog save "$E2E_WORKDIR/first.QMP"
e2e_wait_file "$E2E_WORKDIR/first.QMP"
menu $FILE_MENU 3  # 另存为(&E)
e2e_file_dialog save "$E2E_WORKDIR/second.QMP"
e2e_wait_file "$E2E_WORKDIR/second.QMP"
cmp -s "$E2E_WORKDIR/first.QMP" "$E2E_WORKDIR/second.QMP" || e2e_fail "Save As wrote something else than Save"

# 保存为BMP图像 with the rectangle selected: a name without extension gets .BMP.
e2e_click 130 200
e2e_wait_pixels "$shot" "selected rectangle|160,200|$GREEN"
menu $FILE_MENU 4
e2e_file_dialog save "$E2E_WORKDIR/picture"
bmp="$E2E_WORKDIR/picture.BMP"
e2e_wait_file "$bmp"
cp "$bmp" "$out/picture.BMP"
[ "$(head -c 2 "$bmp")" = BM ] || e2e_fail "$bmp is no BMP file"
[ "$(identify -format '%w %h' "$bmp")" = "961 641" ] || e2e_fail "BMP is $(identify "$bmp")"
bits=$(od -An -tu2 -j28 -N2 "$bmp" | tr -d ' ')
[ "$bits" = 24 ] || e2e_fail "BMP has $bits bits per pixel, expected 24"
# The canvas's client area starts inside its 2-pixel frame.
bmp_pixels() { convert "$bmp" -format "$(printf '%%[fx:round(255*p{%s}.r)],%%[fx:round(255*p{%s}.g)],%%[fx:round(255*p{%s}.b)] ' "$1" "$1" "$1")" info:; }
[ "$(bmp_pixels 482,322)" = "255,255,255 " ] || e2e_fail "BMP background is $(bmp_pixels 482,322)"
[ "$(bmp_pixels 162,202)" = "0,0,0 " ] || e2e_fail "BMP rectangle edge is $(bmp_pixels 162,202), expected black"
[ "$(bmp_pixels 769,580)" = "0,0,0 " ] || e2e_fail "BMP title block frame is $(bmp_pixels 769,580)"
[ "$(bmp_pixels 0,300)" != "255,255,255 " ] || e2e_fail "BMP has no frame"
green=$(e2e_green_pixels "$bmp")
[ "$green" -eq 0 ] || e2e_fail "BMP shows the selection ($green green pixels)"

# 打开: the first file again. Save As left nothing unsaved and a click that only
# selects changes nothing, so no question comes first.
menu $FILE_MENU 1
e2e_file_dialog open "$E2E_WORKDIR/first.QMP"
e2e_wait_pixels "$out/4-opened.ppm" "rectangle|160,200|$BLACK"

# --- The Help menu ---------------------------------------------------------------
# 内容(&C): the viewer is given the ReadMe.txt of the current folder; when it
# fails, the program's own help window shows the text.
cp "$(dirname "$0")/../../ReadMe.txt" "$E2E_WORKDIR/"
menu $HELP_MENU 0
e2e_wait_dialog '^帮助 - ReadMe.txt$'
[ "$(cat "$out/viewer.txt")" = "$E2E_WORKDIR/ReadMe.txt" ] || e2e_fail "the viewer was given $(cat "$out/viewer.txt")"
e2e_answer '^帮助 - ReadMe.txt$' Escape
menu $HELP_MENU 1  # 关于
e2e_wait_dialog "$E2E_ABOUT"
e2e_shot "$out/5-about.ppm" && convert "$out/5-about.ppm" "$out/5-about.png"
e2e_answer "$E2E_ABOUT" Escape

# --- The toolbar's file buttons ------------------------------------------------------
e2e_toolbar 12  # 新建: nothing changed since the file was opened, so no question
e2e_wait_pixels "$shot" "rectangle gone|160,200|$WHITE"
e2e_toolbar 13  # 打开, cancelled
e2e_answer "$E2E_OPEN_DIALOG" Escape
e2e_toolbar 14  # 保存: the new drawing is untitled
e2e_file_dialog save "$E2E_WORKDIR/third.QMP"
e2e_wait_file "$E2E_WORKDIR/third.QMP"

# 退出, below 打印, 打印预览, 导出, 批量导出, 比较 and a separator: saved just now,
# so it closes without a question.
SKIP=1 menu $FILE_MENU 10
e2e_wait_exit "$E2E_TIMEOUT"
echo "PASS: every toolbar button and menu item did its work; the BMP is 961x641 at 24 bits"
