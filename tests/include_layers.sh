#!/bin/sh
# Fails when a folder includes what its floor may not, and names every include
# that breaks a rule. The floors, lowest first: model, io, interact, edit (the
# core, no Qt at all), render (painting on any QPainter: Qt Gui, never Widgets),
# batch (many charts at once: workers, outputs mirrored; on render), and on top the
# shells: app (quillmap's widgets), reduced (qmp's window, on app) and cli
# (qmptool, on batch, render and the core alone). Within a folder the modules (a
# .h and its .cpp) include each other without a loop.
# Usage: include_layers.sh [SOURCE_ROOT]
# QT_HEADERS names Qt's include folder; without it qtpaths6 is asked.
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# folder: the folders its files may include
rules='model: model
io: model io
interact: model io interact
edit: model io interact edit
render: model io interact edit render
batch: model io interact edit render batch
app: model io interact edit render batch app
reduced: model io interact edit render batch app reduced
cli: model io interact edit render batch cli'
floors=$(printf '%s\n' "$rules" | cut -d: -f1)
core='model io interact edit'

for dir in $floors; do
    [ -d "$dir" ] || { echo "$dir/: folder missing"; exit 1; }
done

# Every include of the floors' sources, one per line as grep prints it
# (folder/file:line:text). Each check below reads them on standard input, prints
# the ones that break its rule and fails when there was one.
# shellcheck disable=SC2086  # the folder names are meant to split into words
includes=$(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' $floors)

# A project include ("folder/...") of a floor the including folder may not use.
upward_includes() {
    awk -v rules="$rules" '
        BEGIN {
            n = split(rules, lines, "\n")
            for (k = 1; k <= n; ++k) {
                split(lines[k], part, ":")
                allowed[part[1]] = " " part[2] " "
            }
        }
        match($0, /#[[:space:]]*include[[:space:]]*"[a-z_]+\//) {
            dir = $0; sub(/\/.*/, "", dir)
            target = substr($0, RSTART, RLENGTH - 1); sub(/.*"/, "", target)
            if ((target in allowed) && index(allowed[dir], " " target " ") == 0) {
                print $0 ": " dir "/ may not include " target "/"; bad = 1
            }
        }
        END { exit bad }'
}

# banned_headers FOLDERS WHY NAMES: an include <...> of one of NAMES (header names,
# or module folders such as QtWidgets/) in one of FOLDERS.
banned_headers() {
    awk -v folders=" $1 " -v why="$2" -v names=" $3 " '
        {
            dir = $0; sub(/\/.*/, "", dir)
            if (index(folders, " " dir " ") == 0) next
            if (!match($0, /#[[:space:]]*include[[:space:]]*<[^>]*>/)) next
            header = substr($0, RSTART, RLENGTH - 1); sub(/.*</, "", header)
            module = header; sub(/\/.*/, "/", module)
            if (index(names, " " header " ") || index(names, " " module " ")) { print $0 ": " why; bad = 1 }
        }
        END { exit bad }'
}

qt_in_core() {
    # Any Qt header: a class (<QString>) or a module's (<QtCore/...>).
    awk -v folders=" $core " '
        {
            dir = $0; sub(/\/.*/, "", dir)
            if (index(folders, " " dir " ") && $0 ~ /#[[:space:]]*include[[:space:]]*<Q/) {
                print $0 ": the core includes no Qt"; bad = 1
            }
        }
        END { exit bad }'
}

# The Qt modules that need Qt Widgets: Widgets itself and those built on it,
# PrintSupport among them (its QPrinter is a widget-library class; the paged
# devices render/ prints on, QPagedPaintDevice and QPdfWriter, are Qt Gui's).
widget_modules='QtWidgets QtPrintSupport QtSvgWidgets QtOpenGLWidgets'
widget_headers() {
    qt=${QT_HEADERS:-$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null)}
    for module in $widget_modules; do
        printf '%s %s/ ' "$module" "$module"
        # Class headers only: a few lower-case files there only forward to Qt Gui.
        for header in "$qt/$module"/Q[A-Z]*; do
            [ -e "$header" ] || continue
            case ${header##*/} in *.*) ;; *) printf '%s ' "${header##*/}" ;; esac
        done
    done
    # Without Qt's headers at hand, the common ones.
    [ -d "$qt/QtWidgets" ] || printf '%s ' QApplication QWidget QMainWindow QDialog QMessageBox QFileDialog \
        QMenu QMenuBar QToolBar QLabel QPushButton QLineEdit QPlainTextEdit QFrame QStyle QPrinter QPrintDialog \
        QPrintPreviewDialog QSvgWidget
}
widgets_in_render() {
    banned_headers "render batch" "render/ and batch/ use Qt Gui, never Widgets" "$(widget_headers)"
}

# Within a folder, when the files of module A include B.h, no file of B includes
# A.h, directly or through other modules of the folder: two modules in a loop are
# named with the includes that close it, tsort names those of a longer loop.
loops_within_folders() {
    edges=$(awk '
        match($0, /#[[:space:]]*include[[:space:]]*"[a-z_]+\/[A-Za-z0-9_]+\.h"/) {
            file = $0; sub(/:.*/, "", file)
            dir = file; sub(/\/.*/, "", dir)
            target = substr($0, RSTART, RLENGTH - 1); sub(/.*"/, "", target)
            if (index(target, dir "/") != 1) next
            from = file; sub(/\.(h|cpp)$/, "", from)
            to = target; sub(/\.h$/, "", to)
            line = $0; sub(/^[^:]*:/, "", line); sub(/:.*/, "", line)
            if (from != to) print from, to, file ":" line
        }')
    [ -n "$edges" ] || return 0
    printf '%s\n' "$edges" | awk '
        { key = $1 " " $2; if (!(key in seen)) seen[key] = $3 }
        END {
            for (key in seen) {
                split(key, m, " ")
                back = m[2] " " m[1]
                if ((back in seen) && m[1] < m[2]) {
                    to = m[2]; sub(/.*\//, "", to); from = m[1]; sub(/.*\//, "", from)
                    print seen[key] " includes " to ".h and " seen[back] " includes " from ".h: an include loop"
                    bad = 1
                }
            }
            exit bad
        }' || return 1
    if ! sorted=$(printf '%s\n' "$edges" | cut -d' ' -f1,2 | tsort 2>&1 >/dev/null); then
        printf '%s\n' "$sorted" | awk '/contains a loop/ { n++; next }
            n == 1 { sub(/^tsort: /, ""); loop = loop " " $0 }
            END { print "an include loop through the modules" loop }'
        return 1
    fi
}

status=0
for check in upward_includes qt_in_core widgets_in_render loops_within_folders; do
    printf '%s\n' "$includes" | $check || status=1
done
[ "$status" -eq 0 ] || exit 1
echo "include layers: model <- io <- interact <- edit <- render <- batch <- app <- reduced; cli on batch; no Qt in the core, no Widgets in render or batch; no include loop within a folder"
