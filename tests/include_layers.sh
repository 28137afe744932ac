#!/bin/sh
# Fails when a folder includes one above it. The floors, lowest first: model, io,
# interact, edit, and on top the shells: app (quillmap), reduced (qmp's window) and
# cli (qmptool), of which reduced and cli stand on app. The four floors of the core
# include no Qt at all. Names every include that breaks the rule.
# Usage: include_layers.sh [SOURCE_ROOT]
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# folder: the folders its files may include
rules='model: model
io: model io
interact: model io interact
edit: model io interact edit
app: model io interact edit app
reduced: model io interact edit app reduced
cli: model io interact edit app cli'

for dir in $(printf '%s\n' "$rules" | cut -d: -f1); do
    [ -d "$dir" ] || { echo "$dir/: folder missing"; exit 1; }
done
grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include' \
    $(printf '%s\n' "$rules" | cut -d: -f1) |
awk -v rules="$rules" '
    BEGIN {
        n = split(rules, lines, "\n")
        for (k = 1; k <= n; ++k) {
            split(lines[k], part, ":")
            layered[part[1]] = 1
            allowed[part[1]] = " " part[2] " "
        }
        core["model"] = core["io"] = core["interact"] = core["edit"] = 1
    }
    {
        dir = $0; sub(/\/.*/, "", dir)
        if (dir in core && $0 ~ /#[[:space:]]*include[[:space:]]*<Q/) { print $0 ": the core includes no Qt"; bad = 1 }
        if (!match($0, /#[[:space:]]*include[[:space:]]*"[a-z_]+\//)) next
        target = substr($0, RSTART, RLENGTH - 1); sub(/.*"/, "", target)
        if ((target in layered) && index(allowed[dir], " " target " ") == 0) {
            print $0 ": " dir "/ may not include " target "/"; bad = 1
        }
    }
    END { exit bad }
' || exit 1
echo "include layers: model <- io <- interact <- edit <- app <- reduced, cli: no upward include"
