#!/usr/bin/env bash
# Builds the .deb from a finished build tree into a scratch folder and checks it from outside:
# lintian, the desktop entry, the AppStream metadata and the manual pages, then unpacks it and
# runs the unpacked program from / without a display. Nothing is installed on this machine.
# Exit code 77 (a skip) when a tool is missing.
#   CheckPackage.sh CPACK BUILD_DIR WORK_DIR VERSION SOURCE_DIR
set -euo pipefail
cpack=$1 build=$2 work=$3 version=$4 source=$5

for tool in lintian desktop-file-validate appstreamcli man dpkg-deb dpkg-shlibdeps file gzip; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing; scripts/install-deps.sh installs it"
        exit 77
    fi
done

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not build the package"; }
deb=$(echo "$work/out/zarq-simulator_${version}_$(dpkg --print-architecture).deb")
[ -f "$deb" ] || fail "no package named $(basename "$deb") in $work/out"
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb --field "$deb" Package Version Section Depends Maintainer Homepage

# Everything dpkg -r takes away again: no maintainer scripts or conffiles that would make
# or keep files of their own, and every file under /usr.
dpkg-deb -e "$deb" "$work/control"
extra=$(ls "$work/control" | grep -vx -e control -e md5sums || true)
[ -z "$extra" ] || fail "control files beyond control and md5sums: $extra"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

echo "== lintian"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" ||
    fail "lintian reports errors or warnings (see above)"

root="$work/root"
dpkg-deb -x "$deb" "$root"
root=$(realpath "$root")
data="$root/usr/share/games/zarq-simulator"

echo "== desktop-file-validate, appstreamcli"
desktop-file-validate "$root/usr/share/applications/zarq-simulator.desktop" ||
    fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the AppStream metadata is not valid"

echo "== man --warnings"
for page in "$root"/usr/share/man/man6/*.6.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
zcat "$root/usr/share/doc/zarq-simulator/changelog.gz" | head -1 | grep -q "^zarq-simulator ($version) " ||
    fail "the changelog's latest entry is not version $version"

echo "== the unpacked program, started from /"
"$(dirname "$cpack")/cmake" -DPROGRAM="$root/usr/games/zarq-simulator" -DVERSION="$version" -DWORKDIR=/ \
    -P "$source/tests/startup/CommandLineRun.cmake"
help=$(cd / && env -i "$root/usr/games/zarq-simulator" --help)
grep -qxF "Sound files, documents and manual: $data" <<<"$help" ||
    fail "the unpacked program does not find its data in $data: $help"
for sample in Beep Start Turn Disc Win Miss1 Miss2 End Over; do
    [ -f "$data/SOUND/$sample.wav" ] || fail "SOUND/$sample.wav is missing"
done
[ -f "$data/readme.txt" ] && [ -f "$data/whatsnew.txt" ] || fail "a document is missing"
link=$(readlink "$data/Manual") || fail "no link to the manual program in the data folder"
[ "${link:0:1}" != / ] || fail "the link to the manual program is absolute: $link"
[ -x "$data/Manual" ] && file -L "$data/Manual" | grep -q ELF ||
    fail "the data folder's Manual does not lead to the manual program"
echo "package checks passed"
