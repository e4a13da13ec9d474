#!/usr/bin/env bash
# The scoreboard's package built into a scratch folder and checked from outside, never
# installed: its files and their owner, its dependencies, lintian's errors, the manual page, the
# unit's sandbox as systemd-analyze rates it, and the unpacked program serving the site it
# carries until SIGTERM ends it with 0. Exit code 77 (a skip) when a tool or the site is missing.
#   CheckPackage.sh CMAKE BUILD_DIR WORK_DIR VERSION SOURCE_DATE_EPOCH
set -euo pipefail
cmake=$1 build=$2 work=$3 version=$4 epoch=$5
here=$(cd "$(dirname "$0")" && pwd)

for tool in dpkg-deb dpkg-shlibdeps lintian man systemd-analyze curl strip; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is missing; scripts/install-deps.sh installs it"
        exit 77
    fi
done
site=$(sed -n 's/^ZARQ_SCOREBOARD_SITE:PATH=//p' "$build/CMakeCache.txt")
if [ ! -f "$site/index.html" ]; then
    echo "SKIPPED: the web edition's site is not built in $site ('make web' builds it)"
    exit 77
fi
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
rm -rf "$work"
mkdir -p "$work"
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; true' EXIT

deb=$(bash "$here/MakePackage.sh" "$cmake" "$build" "$work" "$version" "$epoch")
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/zarq-scoreboard ./lib/systemd/system/zarq-scoreboard.service \
    ./usr/share/man/man8/zarq-scoreboard.8.gz ./usr/share/doc/zarq-scoreboard/copyright \
    ./usr/share/zarq-scoreboard/site/index.html ./usr/share/zarq-scoreboard/site/zarq.wasm; do
    grep -q " $file\$" <<<"$contents" || fail "$file is not in the package"
done
! grep -q "site.stamp" <<<"$contents" || fail "the build's stamp file is in the package"
owners=$(awk '{print $2}' <<<"$contents" | sort -u)
[ "$owners" = "root/root" ] || fail "files not owned by root: $owners"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsqlite3-0 libpq5 libssl3 zlib1g; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
if grep -q '^E:' "$work/lintian.log"; then
    cat "$work/lintian.log"
    fail "lintian finds errors"
fi

dpkg-deb -x "$deb" "$work/root"
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man8/zarq-scoreboard.8.gz" \
    >"$work/man.txt" 2>"$work/man.log"
[ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "the manual page has faults"; }
grep -q "lists it only when it gives the score" <(tr -s " \n" "  " <"$work/man.txt") || fail "the manual page says nothing"

# systemd's rating of the sandbox: "OK" or better (an exposure of at most 2.0 of 10).
systemd-analyze security --offline=true --threshold=20 \
    "$work/root/lib/systemd/system/zarq-scoreboard.service" >"$work/security.log" 2>&1 ||
    { tail -3 "$work/security.log"; fail "systemd-analyze rates the unit's sandbox worse than 2.0"; }

program=$work/root/usr/bin/zarq-scoreboard
"$program" --version | grep -qx "zarq-scoreboard $version" || fail "--version says otherwise"
# The unpacked program finds the site beside it, as the installed one does.
"$program" --listen 127.0.0.1:0 --database "sqlite:$work/scores.sqlite" 2>"$work/server.log" &
pid=$!
port=""
for _ in $(seq 100); do
    port=$(head -1 "$work/server.log" | sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+).*/\1/p')
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; fail "the unpacked program did not start"; }
curl -sf "http://127.0.0.1:$port/" -o "$work/index.html" || fail "the page is not served"
cmp -s "$work/index.html" "$site/index.html" || fail "the page served is not the site's"
type=$(curl -sf -o /dev/null -w '%{content_type}' "http://127.0.0.1:$port/zarq.wasm")
[ "$type" = "application/wasm" ] || fail "zarq.wasm is served as $type"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with $status"
echo "zarq-scoreboard package checked: $deb"
