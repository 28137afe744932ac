#!/usr/bin/env bash
# The memory qmptool takes to check and to convert valid documents of growing
# size (32767 labels with Chinese captions of many lines; 100, 200 and 400 MB by
# default): the peak resident set of each run beside the file's size. What grows
# with the file should stay below twice its size. It measures; it does not judge.
# Usage: read_memory.sh QMPTOOL [MEGABYTES...]
set -euo pipefail
tool=$(realpath "$1")
shift
[ $# -gt 0 ] || set -- 100 200 400
command -v /usr/bin/time >/dev/null || { echo "read_memory: /usr/bin/time is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A valid quillmap document of about MB megabytes.
generate() {
    python3 - "$1" "$2" <<'EOF'
import struct, sys
out, mb = sys.argv[1], float(sys.argv[2])
n = 32767
line = ("流程" * 40 + "\r\n").encode("gbk")  # lines short enough for any label size the file holds
caption = line * (int(mb * 1e6 / n) // len(line))
font = "宋体".encode("gbk")
with open(out, "wb") as f:
    f.write(b"QMP" + b" " * 252)
    f.write(struct.pack("<hhh", 1, 0, n))  # version, shapes, labels
    for i in range(n):
        f.write(struct.pack("<hhhhH", i % 9000, i % 6000, 225, 0, len(caption)) + caption)
        f.write(struct.pack("<hhhH", -1, 0, 9, len(font)) + font)
        f.write(struct.pack("<hhh", 0, 0, 0) + bytes(8) + struct.pack("<H", 0))
    f.write(struct.pack("<hhhff", 0, 0, 0, 8000.0, 8000.0))  # segments, arrows, diamonds, title block
EOF
}

peak_kb() {
    local out
    out=$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null) || { echo "read_memory: failed: $* $out" >&2; exit 1; }
    tail -n 1 <<<"$out"
}

printf '%10s %14s %8s %14s %8s\n' "file MB" "check peak MB" "ratio" "convert peak MB" "ratio"
for mb in "$@"; do
    doc=$work/doc.QMP
    generate "$doc" "$mb"
    bytes=$(stat -c %s "$doc")
    check=$(peak_kb "$tool" check "$doc")
    convert=$(peak_kb "$tool" convert "$doc" "$work/out.QMP")
    awk -v b="$bytes" -v c="$check" -v v="$convert" 'BEGIN {
        printf "%10.1f %14.1f %8.2f %14.1f %8.2f\n", b / 1e6, c * 1024 / 1e6, c * 1024 / b, v * 1024 / 1e6, v * 1024 / b }'
    rm -f "$doc" "$work/out.QMP"
done
