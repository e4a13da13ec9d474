#!/usr/bin/env bash
# Builds zarq-scoreboard_<version>_<arch>.deb from a finished build tree: the component
# "scoreboard" installed into a scratch root, the program stripped, its dependencies found by
# dpkg-shlibdeps, every time stamp SOURCE_DATE_EPOCH's, owned by root.
#   MakePackage.sh CMAKE BUILD_DIR OUT_DIR VERSION SOURCE_DATE_EPOCH
set -euo pipefail
cmake=$1 build=$2 out=$3 version=$4 epoch=$5
site=$(sed -n 's/^ZARQ_SCOREBOARD_SITE:PATH=//p' "$build/CMakeCache.txt")
if [ ! -f "$site/index.html" ]; then
    echo "The web edition's site is not built in $site: run 'make web' first." >&2
    exit 3
fi
stage=$(mktemp -d /tmp/zarq-scoreboard-package-XXXXXX)
trap 'rm -rf "$stage"' EXIT
root=$stage/root
DESTDIR=$root "$cmake" --install "$build" --component scoreboard --prefix /usr >/dev/null
strip --strip-unneeded --remove-section=.comment "$root/usr/bin/zarq-scoreboard"

mkdir -p "$stage/debian"
printf 'Source: zarq-scoreboard\n\nPackage: zarq-scoreboard\nArchitecture: any\n' >"$stage/debian/control"
depends=$(cd "$stage" && dpkg-shlibdeps -O -eroot/usr/bin/zarq-scoreboard 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
arch=$(dpkg --print-architecture)
find "$root" -type d -exec chmod 0755 {} +
find "$root" -type f -exec chmod 0644 {} +
chmod 0755 "$root/usr/bin/zarq-scoreboard"
mkdir -p "$root/DEBIAN"
(cd "$root" && find usr lib -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
cat >"$root/DEBIAN/control" <<CONTROL
Package: zarq-scoreboard
Version: $version
Architecture: $arch
Maintainer: Dario Quarvel <zarq@quarvel.example>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends
Suggests: postgresql
Section: web
Priority: optional
Homepage: https://www.quarvel.example/zarq
Description: scoreboard server that lists a play only after replaying it
 A server for the Zarq simulator's best scores: a player sends the recording
 of a play, the server replays it exactly as the toy played it and lists it
 only when it gives the score it claims. Anyone can download an entry's
 recording or watch it in the web edition, which the server also serves.
 .
 It keeps its board in SQLite or PostgreSQL and comes with a systemd unit
 that runs it as a dynamic user in systemd's sandbox.
CONTROL
chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
find "$root" -exec touch -h -d "@$epoch" {} +
mkdir -p "$out"
deb=$out/zarq-scoreboard_${version}_${arch}.deb
SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
