#!/usr/bin/env bash
# The Debian package on a fresh Debian 12 system, run by hand:
#
#   scripts/fresh-root.sh tests/package/check.sh
#
# Builds the source and binary packages with scripts/package.sh and checks them
# with lintian; builds a newer one (version +1 in a changelog entry of a
# throw-away clone); takes away again everything the builds installed (so that
# only the package's Depends can supply what the programs need); installs the
# package with `apt install ./quillmap_*.deb`, runs the programs, the desktop
# validators and the package's own tests (autopkgtest, null server); shows that a
# system without glibc's CJK converters is told so; upgrades to the newer
# package; then removes and purges it and compares every file of the system with
# the list taken before the install. A user's recovery copy must come through
# all of it untouched. Needs root and the Debian archive; changes the system it
# runs on, so it refuses one where quillmap is installed already.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$PWD
sample=$repo/tests/package/流程图.QMP
work=$(mktemp -d /tmp/package-check.XXXXXX)
apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }

checks=0
fail() { echo "check.sh: FAILED: $*" >&2; exit 1; }
step() { printf '\n=== %s\n' "$*"; }
# run CMD...: shows the command and its output; it must succeed.
run() {
    echo "\$ $*"
    "$@" || fail "$* (status $?)"
    checks=$((checks + 1))
}

[ "$(id -u)" -eq 0 ] || fail "run me as root, in a throw-away root: scripts/fresh-root.sh $0"
grep -q '^12\.' /etc/debian_version || fail "this is no Debian 12: $(cat /etc/debian_version)"
! dpkg-query -W -f='${Status}' quillmap 2>/dev/null | grep -q installed || fail "quillmap is installed here already"

installed_packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 == "ii" { print $2 }' | sort; }

# Every file and folder of the system, but for what only apt, dpkg and the
# kernel keep, this check's own folders, and man-db's cache of formatted pages
# (man writes one when a page is read; man-db's daily job expires them, as for
# every package).
snapshot() {
    find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /var/tmp \
        -o -path /src -o -path /root -o -path /var/lib/apt -o -path /var/cache/apt -o -path /var/cache/debconf \
        -o -path /var/lib/dpkg -o -path /var/log -o -path /var/cache/man \) -prune -o -print | sort
}

step "scripts/package.sh: the source and binary packages (builds in this root)"
before_build=$(installed_packages)
deb=$(scripts/package.sh | tail -n 1)
version=$(dpkg-deb --field "$deb" Version)
arch=$(dpkg-deb --field "$deb" Architecture)
changes=$(dirname "$deb")/quillmap_${version}_$arch.changes
run dpkg-deb --field "$deb" Package Version Architecture Depends
echo "\$ ls $(dirname "$deb")"
ls "$(dirname "$deb")"
echo "\$ dpkg-deb --contents quillmap-dbgsym_${version}_$arch.deb   # the programs' debugging symbols"
dbgsym=$(dirname "$deb")/quillmap-dbgsym_${version}_$arch.deb
[ "$(dpkg-deb --contents "$dbgsym" | grep -c '/usr/lib/debug/.build-id/.*\.debug$')" -eq 3 ] ||
    fail "the -dbgsym package lacks the three programs' symbols"
echo "debugging symbols of 3 programs"
checks=$((checks + 1))
cp "$deb" "$work/"
deb=$work/$(basename "$deb")

step "lintian --pedantic --display-info on the .changes: no tag but those debian/*.lintian-overrides explain"
apt_get install --no-install-recommends lintian >"$work/lintian-install.log"
echo "\$ lintian --pedantic --display-info --show-overrides $(basename "$changes")   # as nobody, as lintian asks"
mkdir "$work/lintian-home"
chown nobody "$work/lintian-home"
chmod 755 "$work"
runuser -u nobody -- env HOME="$work/lintian-home" TMPDIR="$work/lintian-home" \
    lintian --pedantic --display-info --show-overrides "$changes" | tee "$work/lintian.log"
if grep -v '^[ON]: ' "$work/lintian.log"; then fail "lintian reports the tags above"; fi
echo "lintian: $(grep -c '^O: ' "$work/lintian.log") overridden tags, nothing else"
checks=$((checks + 1))

# The same package one version later, built from a clone whose changelog has an
# entry more; nothing of it is committed.
next_version=$(echo "$version" | awk -F. -v OFS=. '{ $NF = $NF + 1; print }')
step "a newer build, version $next_version (the tests were run by the first build)"
mkdir "$work/next"
tar --exclude='./build*' -cf - . | tar -xf - -C "$work/next"
{
    printf 'quillmap (%s) unstable; urgency=medium\n\n  * A newer build, to check the upgrade.\n\n' "$next_version"
    printf ' -- %s  %s\n\n' "$(dpkg-parsechangelog -SMaintainer)" "$(date -R)"
    cat debian/changelog
} >"$work/next/debian/changelog"
next_deb=$(DEB_BUILD_OPTIONS=nocheck QM_BUILD_DIR=$work/next-build "$work/next/scripts/package.sh" -b | tail -n 1)
run dpkg-deb --field "$next_deb" Package Version

step "purging the $(comm -13 <(echo "$before_build") <(installed_packages) | wc -l) packages the build installed"
# shellcheck disable=SC2046  # one package a word
apt_get purge $(comm -13 <(echo "$before_build") <(installed_packages)) >"$work/purge.log"
apt_get autoremove --purge >>"$work/purge.log"

step "the tools the checks use, and the caches their packages keep by dpkg triggers"
# autopkgtest, dpkg-dev (with which it builds its package of the tests' Depends)
# and what debian/tests/control asks for, so that its run installs nothing.
apt_get install --no-install-recommends desktop-file-utils appstream man-db shared-mime-info \
    autopkgtest dpkg-dev python3 xauth xdotool xvfb >"$work/tools.log"

step "a user with a recovery copy in their state folder: none of what follows may touch it"
useradd --create-home quill
recovery=/home/quill/.local/state/quillmap/recovery
runuser -u quill -- mkdir -p -m 700 "$recovery"
runuser -u quill -- install -m 600 "$sample" "$recovery/5f3c9a2e.copy"
runuser -u quill -- touch "$recovery/5f3c9a2e.lock"
recovery_state() { (cd "$recovery" && stat -c '%n %s %a %U %y' . ./* && sha256sum ./*); }
recovery_state >"$work/recovery-state"
cat "$work/recovery-state"
# recovery_untouched AFTER: the copy, its lock and its folder are as they were;
# and no package was left half installed or configured by a failed script.
recovery_untouched() {
    recovery_state | diff "$work/recovery-state" - || fail "$1 changed the recovery folder"
    [ -z "$(dpkg --audit)" ] || fail "after $1, dpkg --audit finds: $(dpkg --audit)"
    echo "after $1: the recovery copy is untouched, dpkg --audit finds nothing"
    checks=$((checks + 1))
}
before_install=$(installed_packages)
snapshot >"$work/files-fresh"

step "apt install ./$(basename "$deb")"
cd "$work"
run env DEBIAN_FRONTEND=noninteractive apt install -y -q "./$(basename "$deb")"
echo "Pulled in: $(comm -13 <(echo "$before_install") <(installed_packages) | tr '\n' ' ')"
dpkg -L quillmap >"$work/ours"
# The files with every dependency in place but without the package: what its
# removal must come back to exactly, caches included.
apt_get remove quillmap >"$work/remove.log"
snapshot >"$work/files-before"
run env DEBIAN_FRONTEND=noninteractive apt install -y -q "./$(basename "$deb")"
recovery_untouched "the install"
cd "$repo"

step "the programs"
run qmptool --version
run quillmap --version
run qmp --version
[ "$(quillmap --version)" = "quillmap ${version%%-*}" ] || fail "quillmap's version is not the package's $version"
run qmptool check "$sample"
run qmptool render "$sample" "$work/流程图.png" --scale 2
run qmptool render "$sample" "$work/流程图.svg"
run qmptool render "$sample" "$work/流程图.pdf"
[ "$(head -c 8 "$work/流程图.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "流程图.png is no PNG"
grep -q '<svg' "$work/流程图.svg" || fail "流程图.svg is no SVG"
echo "the PNG and the SVG are what they say"
# The editors' command lines need no display. A desktop session has a runtime
# folder; without one Qt would add a note of its own.
mkdir -m 700 "$work/runtime"
for program in quillmap qmp; do
    for option in --help --version --bogus; do
        set +e
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work/runtime" \
            "$program" "$option" >"$work/answer.out" 2>"$work/answer.err"
        status=$?
        set -e
        expected=0
        [ "$option" != --bogus ] || expected=2
        echo "\$ $program $option   # no display  ->  status $status, $(wc -l <"$work/answer.out") lines out: $(cat "$work/answer.err")"
        [ "$status" -eq "$expected" ] || fail "$program $option: status $status, not $expected"
        if [ "$option" = --bogus ]; then
            [ "$(wc -l <"$work/answer.err")" -eq 1 ] || fail "$program $option: not one line"
        else
            if [ ! -s "$work/answer.out" ] || [ -s "$work/answer.err" ]; then fail "$program $option: no answer"; fi
        fi
        checks=$((checks + 1))
    done
done

step "the package's own tests (debian/tests) on the installed package: autopkgtest, null server"
# Its Python would otherwise leave its modules compiled beside them on first use,
# files that are no more ours than the tool is.
run env PYTHONDONTWRITEBYTECODE=1 autopkgtest --no-built-binaries "$repo" -- null

step "what the programs load at run time"
platforms=$(dirname "$(dpkg -L libqt6gui6 | grep '/plugins/platforms/libqxcb.so$')")
for plugin in libqxcb.so libqoffscreen.so; do
    [ -f "$platforms/$plugin" ] || fail "no Qt platform plugin $plugin"
    ! ldd "$platforms/$plugin" | grep 'not found' || fail "$plugin lacks libraries"
    echo "$platforms/$plugin: every library found (package $(dpkg -S "$platforms/$plugin" | cut -d: -f1))"
done
run ls /usr/share/qt6/translations/qtbase_zh_CN.qm
run fc-match --format '%{family}\n' ':lang=zh-cn'
run dpkg -S '*/gconv/GBK.so' '*/gconv/GB18030.so' '*/gconv-modules-extra.conf'

step "the desktop files"
run desktop-file-validate /usr/share/applications/quillmap.desktop
run appstreamcli validate --no-net /usr/share/metainfo/org.example.quillmap.metainfo.xml
run ls /usr/share/mime/application/x-quillmap.xml /usr/share/quillmap/ReadMe.txt
echo "\$ man qmptool"
MANWIDTH=80 MANPAGER=cat man qmptool || fail "man qmptool"
checks=$((checks + 1))
run man -w quillmap qmp

step "a system whose dpkg leaves out glibc's CJK converters, as slimmed images do"
printf 'path-exclude=/usr/lib/*/gconv/GBK.so\npath-exclude=/usr/lib/*/gconv/GB18030.so\n' \
    >/etc/dpkg/dpkg.cfg.d/no-cjk-gconv
apt_get install --reinstall libc6 >"$work/libc6.log" 2>&1
set +e
qmptool check "$sample" 2>"$work/gconv.err"
status=$?
set -e
echo "\$ qmptool check 流程图.QMP  ->  status $status: $(cat "$work/gconv.err")"
if [ "$status" -ne 1 ] || ! grep -q 'GBK.so' "$work/gconv.err"; then fail "the missing converters were not named"; fi
rm /etc/dpkg/dpkg.cfg.d/no-cjk-gconv
apt_get install --reinstall libc6 >>"$work/libc6.log" 2>&1
run qmptool check "$sample"

step "apt install ./$(basename "$next_deb"): the upgrade"
run env DEBIAN_FRONTEND=noninteractive apt install -y -q "$next_deb"
[ "$(dpkg-query -W -f='${Version} ${db:Status-Abbrev}' quillmap)" = "$next_version ii " ] ||
    fail "quillmap $next_version is not what is installed"
run qmptool check "$sample"
recovery_untouched "the upgrade"
dpkg -L quillmap >>"$work/ours"

step "apt remove, apt purge"
run env DEBIAN_FRONTEND=noninteractive apt remove -y -q quillmap
recovery_untouched "apt remove"
left=$(while read -r path; do if [ -f "$path" ]; then echo "$path"; fi; done <"$work/ours")
[ -z "$left" ] || fail "apt remove left: $left"
echo "no file of the package is left"
# With no configuration files of its own, removing the package purged it already.
if dpkg-query -W -f='${Status}' quillmap 2>/dev/null | grep -q config-files; then
    run env DEBIAN_FRONTEND=noninteractive apt purge -y -q quillmap
else
    echo "dpkg keeps nothing of quillmap after apt remove, so there is nothing left to purge"
    checks=$((checks + 1))
fi
recovery_untouched "the purge"
snapshot >"$work/files-after"
echo "\$ diff files-before files-after   # every file and folder, the dependencies still installed"
diff "$work/files-before" "$work/files-after" || fail "the system's files differ from before the install"
checks=$((checks + 1))
echo "the same $(wc -l <"$work/files-after") files and folders as before the install"
# Caches the triggers rebuilt (MIME types, menu entries, icons) must not name it either.
echo "\$ grep -rl quillmap over every file but dpkg's, apt's and the logs"
mentions=$(snapshot | while read -r path; do if [ -f "$path" ]; then echo "$path"; fi; done |
    tr '\n' '\0' | xargs -0 grep -l -s quillmap || true)
[ -z "$mentions" ] || fail "files still name quillmap: $mentions"
echo "no file names quillmap"
checks=$((checks + 1))

step "apt autoremove --purge: the dependencies go too"
apt_get autoremove --purge >"$work/autoremove.log"
snapshot >"$work/files-end"
echo "\$ diff files-fresh files-end   # what other packages' scripts left (information)"
diff "$work/files-fresh" "$work/files-end" | tee "$work/files-diff" || true
if grep -E 'quillmap|qmp' "$work/files-diff"; then fail "files of ours are left"; fi
echo
echo "check.sh: all $checks checks passed"
rm -rf "$work"
