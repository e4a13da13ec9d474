#!/usr/bin/env bash
# Builds the .deb from a finished build tree into a scratch folder and checks it from outside:
# lintian (every tag, pedantic and experimental ones too), the hardening of both programs, the
# desktop entry, the AppStream metadata and the manual pages, then unpacks it and runs the
# unpacked programs from / without a display. Then the sources are copied to a second folder,
# with new file times, and built and packaged again: both packages must be the same bytes.
# Nothing is installed on this machine. Exit code 77 (a skip) when a tool is missing.
#   CheckPackage.sh CPACK BUILD_DIR WORK_DIR VERSION SOURCE_DIR
set -euo pipefail
cpack=$1 build=$2 work=$3 version=$4 source=$5
cmake="$(dirname "$cpack")/cmake"

for tool in lintian desktop-file-validate appstreamcli man dpkg-deb dpkg-shlibdeps file gzip \
    hardening-check objcopy readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing; scripts/install-deps.sh installs it"
        exit 77
    fi
done
# The package is made from this build tree's programs, so they must be built as the package is.
if ! grep -qx "ZARQ_DEBIAN_BUILDFLAGS:BOOL=ON" "$build/CMakeCache.txt"; then
    echo "SKIPPED: $build is not built with Debian's flags (configure it with" \
        "-DZARQ_DEBIAN_BUILDFLAGS=ON, as an optimised build is by default)"
    exit 77
fi

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

arch=$(dpkg --print-architecture)
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
rm -rf "$work"
mkdir -p "$work"

# package BUILD_DIR OUT_DIR: the .deb and its -dbgsym .ddeb of that build tree, in OUT_DIR.
package() {
    "$cpack" --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1 ||
        { cat "$2.log"; fail "cpack could not build the package from $1"; }
    [ -f "$2/zarq-simulator_${version}_$arch.deb" ] ||
        fail "no package named zarq-simulator_${version}_$arch.deb in $2"
    [ -f "$2/zarq-simulator-dbgsym_${version}_$arch.ddeb" ] ||
        fail "no debug symbols package zarq-simulator-dbgsym_${version}_$arch.ddeb in $2"
}

package "$build" "$work/out"
deb="$work/out/zarq-simulator_${version}_$arch.deb"
ddeb="$work/out/zarq-simulator-dbgsym_${version}_$arch.ddeb"
echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes, $(basename "$ddeb"): $(stat -c %s "$ddeb") bytes"
dpkg-deb --field "$deb" Package Version Section Installed-Size Depends Recommends Maintainer Homepage

# Everything dpkg -r takes away again: no maintainer scripts or conffiles that would make
# or keep files of their own, and every file under /usr.
dpkg-deb -e "$deb" "$work/control"
extra=$(ls "$work/control" | grep -vx -e control -e md5sums || true)
[ -z "$extra" ] || fail "control files beyond control and md5sums: $extra"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v -e '^\./$' -e '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
depends=$(dpkg-deb --field "$deb" Depends)
for needed in fonts-dejavu-core fonts-liberation qt6-qpa-plugins; do
    grep -qw "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
recommends=$(dpkg-deb --field "$deb" Recommends)
for wanted in xdg-utils qt6-wayland; do
    grep -qw "$wanted" <<<"$recommends" || fail "Recommends lacks $wanted: $recommends"
done

echo "== lintian -I -E --pedantic"
lintian -I -E --pedantic --fail-on error,warning,info,pedantic,experimental \
    --tag-display-limit 0 "$deb" || fail "lintian shows tags (see above)"

root="$work/root"
dpkg-deb -x "$deb" "$root"
root=$(realpath "$root")
data="$root/usr/share/games/zarq-simulator"
games="$root/usr/games"

# dpkg's own measure: every file rounded up to whole KiB, and one for every other entry.
echo "== Installed-Size"
measured=$(find "$root/usr" -mindepth 1 -printf '%y %s\n' |
    awk '$1 == "f" { kib += int(($2 + 1023) / 1024); next } { kib += 1 } END { print kib }')
stated=$(dpkg-deb --field "$deb" Installed-Size)
echo "stated $stated KiB, the files take $measured KiB"
[ "$stated" -ge $((measured - 8)) ] && [ "$stated" -le $((measured + 8)) ] ||
    fail "Installed-Size says $stated KiB, the unpacked files take $measured KiB"

# md5sums name every file by its path in the package, as dpkg --verify reads them.
(cd "$root" && md5sum --quiet -c "$work/control/md5sums") ||
    fail "the package's md5sums do not match its files"

echo "== hardening-check, debug symbols"
# Control-flow protection shows as a marking that the linker sets only when every object
# carries it, the C library's start files too. Where they do not (bookworm's glibc), no program
# linked here can have it: hardening-check is told so, and the compile units are checked below.
checks=()
crt=$("$(cache CMAKE_CXX_COMPILER)" -print-file-name=Scrt1.o)
if ! readelf -n "$crt" 2>/dev/null | grep -q 'x86 feature: IBT, SHSTK'; then
    echo "note: $crt carries no IBT/SHSTK marking, so no program linked here can;" \
        "control-flow protection is checked in the compile units instead"
    checks+=(--nocfprotection)
fi
dpkg-deb -x "$ddeb" "$work/dbgsym"
dpkg-deb -e "$ddeb" "$work/dbgsym-control"
(cd "$work/dbgsym" && md5sum --quiet -c "$work/dbgsym-control/md5sums") ||
    fail "the -dbgsym package's md5sums do not match its files"
for program in "$games/zarq-simulator" "$games/zarq-simulator-manual"; do
    name=$(basename "$program")
    report=$(hardening-check "${checks[@]}" "$program" 2>&1) ||
        { echo "$report"; fail "hardening-check finds $name unprotected"; }
    echo "$report"
    # Stack-clash probes appear only in functions with large or variable frames; "unknown"
    # means there is none. Every other protection must be there.
    for protection in 'Position Independent Executable' 'Stack protected' \
        'Fortify Source functions' 'Read-only relocations' 'Immediate binding'; do
        grep -q "$protection: yes" <<<"$report" ||
            fail "hardening-check does not report '$protection' for $name"
    done
    sections=$(readelf -S -W "$program")
    ! grep -qE '\] \.(comment|debug_info) ' <<<"$sections" ||
        fail "$name still has a .comment or .debug_info section"
    # Its debug symbols in the -dbgsym package, under its build-id, and every compile unit of
    # C++ in them built with the protections.
    id=$(readelf -n "$program" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
    debug="$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
    [ -f "$debug" ] || fail "no debug symbols for $name (build-id $id) in $(basename "$ddeb")"
    units=$(readelf --debug-dump=info --dwarf-depth=1 "$debug" 2>/dev/null |
        grep -oE 'DW_AT_producer.*GNU C\+\+.*' || true)
    [ -n "$units" ] || fail "no C++ compile units in the debug symbols of $name"
    for flag in -fstack-protector-strong -fstack-clash-protection -fcf-protection; do
        unprotected=$(grep -cv -- "$flag" <<<"$units" || true)
        [ "$unprotected" -eq 0 ] || fail "$unprotected compile units of $name lack $flag"
    done
    echo "$(wc -l <<<"$units") compile units, all with the stack protector, stack-clash" \
        "and control-flow protection"
done

echo "== desktop-file-validate, appstreamcli"
desktop-file-validate "$root/usr/share/applications/zarq-simulator.desktop" ||
    fail "the desktop entry is not valid"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the AppStream metadata is not valid"
for size in 16 22 24 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x$size/apps/zarq-simulator.png"
    file "$icon" | grep -q "PNG image data, $size x $size," || fail "no $size px icon: $icon"
done
file "$root/usr/share/icons/hicolor/scalable/apps/zarq-simulator.svg" | grep -q "SVG" ||
    fail "no scalable icon"

echo "== man --warnings, every option in the manual pages"
for page in "$root"/usr/share/man/man6/*.6.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
zcat "$root/usr/share/doc/zarq-simulator/changelog.gz" | head -1 | grep -q "^zarq-simulator ($version) " ||
    fail "the changelog's latest entry is not version $version"
for program in zarq-simulator zarq-simulator-manual; do
    page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -E UTF-8 -l "$root/usr/share/man/man6/$program.6.gz" 2>/dev/null)
    # The options as the program's --help lists them: "  -h, --help", "      --record FILE".
    options=$(cd / && env -i "$games/$program" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' |
        grep -oE '\-\-?[a-z-]+')
    [ -n "$options" ] || fail "$program --help lists no options"
    for option in $options; do
        grep -qF -- "$option" <<<"$page" || fail "the manual page of $program does not name $option"
    done
done

echo "== the unpacked programs, started from /"
"$cmake" -DPROGRAM="$games/zarq-simulator" -DVERSION="$version" -DWORKDIR=/ \
    -P "$source/tests/startup/CommandLineRun.cmake"
"$cmake" -DPROGRAM="$games/zarq-simulator-manual" "-DVERSION_TEXT=Zarq (Keldo) Manual $version" \
    -DWORKDIR=/ -P "$source/tests/startup/CommandLineRun.cmake"
help=$(cd / && env -i "$games/zarq-simulator" --help)
grep -qxF "Sound files, documents and manual: $data" <<<"$help" ||
    fail "the unpacked program does not find its data in $data: $help"
for sample in Beep Start Turn Disc Win Miss1 Miss2 End Over; do
    [ -f "$data/SOUND/$sample.wav" ] || fail "SOUND/$sample.wav is missing"
done
[ -f "$data/readme.txt" ] && [ -f "$data/whatsnew.txt" ] || fail "a document is missing"
grep -qF "/usr/share/games/zarq-simulator/SOUND" "$data/readme.txt" ||
    fail "readme.txt does not say where the installed sound files are"
link=$(readlink "$data/Manual") || fail "no link to the manual program in the data folder"
[ "${link:0:1}" != / ] || fail "the link to the manual program is absolute: $link"
[ -x "$data/Manual" ] && file -L "$data/Manual" | grep -q ELF ||
    fail "the data folder's Manual does not lead to the manual program"

# The same sources in another folder, every file with a new time, built without ccache into a
# build folder of their own and packaged: the packages must be the same bytes. Only the two
# programs are compiled (the install does not wait for the tests).
# package_copy NAME: copies the sources to $work/NAME, builds and packages them into
# $work/NAME-out.
package_copy() {
    local clone="$work/$1"
    mkdir -p "$clone"
    if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        (cd "$source" && git ls-files -z --cached --others --exclude-standard |
            xargs -0 -r sh -c 'for f; do [ -f "$f" ] && printf "%s\0" "$f"; done' sh |
            tar --null -T - -cf -) | tar -xf - -C "$clone"
    else
        (cd "$source" && tar --exclude='./build*' -cf - .) | tar -xf - -C "$clone"
    fi
    find "$clone" -exec touch {} +
    # The build folder at the same place among the sources, as the file names of generated
    # sources may be relative to it.
    local relative
    relative=$(realpath --relative-to="$source" "$build")
    [ "${relative:0:2}" != .. ] || relative=build
    local started
    started=$(date +%s)
    env CCACHE_DISABLE=1 "$cmake" -S "$clone" -B "$clone/$relative" -G "$(cache CMAKE_GENERATOR)" \
        -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" \
        -DCMAKE_CXX_COMPILER="$(cache CMAKE_CXX_COMPILER)" \
        -DCMAKE_C_COMPILER="$(cache CMAKE_C_COMPILER)" -DZARQ_DEBIAN_BUILDFLAGS=ON \
        -DZARQ_BENCHMARKS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$work/$1-configure.log" 2>&1 ||
        { cat "$work/$1-configure.log"; fail "the copy of the sources in $clone does not configure"; }
    env CCACHE_DISABLE=1 "$cmake" --build "$clone/$relative" -j "$(nproc)" \
        --target zarq-simulator Manual >"$work/$1-build.log" 2>&1 ||
        { tail -50 "$work/$1-build.log"; fail "the copy of the sources in $clone does not build"; }
    package "$clone/$relative" "$work/$1-out"
    echo "$clone built and packaged in $(($(date +%s) - started)) s"
    rm -rf "$clone"
}

echo "== a second build from a copy of the sources"
first="$work/out"
launcher=$(cache CMAKE_CXX_COMPILER_LAUNCHER)
if [ -n "$launcher" ]; then
    # ccache, for one, may hand the compiler file names relative to a base folder, and those
    # go into the debug symbols: both packages compared are built from copies then.
    echo "note: $build compiles through $launcher; both packages compared come from copies"
    package_copy copy-a
    first="$work/copy-a-out"
fi
package_copy copy-b
for file in "zarq-simulator_${version}_$arch.deb" "zarq-simulator-dbgsym_${version}_$arch.ddeb"; do
    if ! cmp -s "$first/$file" "$work/copy-b-out/$file"; then
        mkdir -p "$work/diff/a" "$work/diff/b"
        dpkg-deb -R "$first/$file" "$work/diff/a/$file"
        dpkg-deb -R "$work/copy-b-out/$file" "$work/diff/b/$file"
        diff -r "$work/diff/a/$file" "$work/diff/b/$file" | head -20 || true
        cmp "$first/$file" "$work/copy-b-out/$file" || true
        fail "$file differs between the two builds"
    fi
done
echo "both builds give the same packages"
echo "package checks passed"
