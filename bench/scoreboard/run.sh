#!/usr/bin/env bash
# The scoreboard server measured on loopback with wrk (run by `make bench`, or alone:
# bash bench/scoreboard/run.sh [BUILD_FOLDER]): submissions of a ten-minute play, true and
# false; reads of the board with a million entries (SQLite, and PostgreSQL when its programs are
# installed); 2,000 idle keep-alive connections; the server's memory throughout.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
each=${BENCH_SECONDS:-10}
entries=${BENCH_ENTRIES:-1000000}
server=$build/server/zarq-scoreboard
pg=/usr/lib/postgresql/15/bin
command -v wrk >/dev/null || { echo "wrk is not installed (scripts/install-deps.sh installs it)"; exit 1; }
scratch=$(mktemp -d /tmp/zarq-scoreboard-bench-XXXXXX)
chmod 777 "$scratch"
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  [ -d "$scratch/pg" ] && runuser -u nobody -- "$pg/pg_ctl" -D "$scratch/pg" -s -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

start() {  # start DATABASE: the server in the background, its port in $port
  "$server" --listen 127.0.0.1:0 --database "$1" --submit-rate 100000000/1 \
    --max-connections 5000 --site web/site 2>"$scratch/server.log" &
  pid=$!
  for _ in $(seq 100); do
    port=$(head -1 "$scratch/server.log" | sed -nE 's/.*listening on 127\.0\.0\.1:([0-9]+).*/\1/p')
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  echo "the server did not start:"; cat "$scratch/server.log"; exit 1
}
stop() { kill "$pid"; wait "$pid" || true; pid=""; }
memory() { awk '/VmRSS|VmHWM/ {printf "%s %d MB  ", $1, $2 / 1024}' "/proc/$pid/status"; echo; }
metric() { curl -s "http://127.0.0.1:$port/metrics" | awk -v m="$1" '$1 == m {print $2}'; }

"$build/bench/scoreboard_play_maker" "$scratch/ten.zrec" 10
echo "== submissions of a ten-minute play ($(wc -c <"$scratch/ten.zrec") bytes), $each s each, 16 connections"
start "sqlite:$scratch/board.sqlite"
ZARQ_PLAY=$scratch/ten.zrec wrk -t2 -c16 -d"${each}s" -s bench/scoreboard/submit.lua \
  "http://127.0.0.1:$port" | grep -E "Requests/sec|Latency|Non-2xx|requests in"
echo "accepted: $(metric 'zarq_checks_total{verdict="accepted"}')  $(memory)"
echo "-- the same play claiming 2000 more points"
ZARQ_PLAY=$scratch/ten.zrec ZARQ_FALSE=1 wrk -t2 -c16 -d"${each}s" -s bench/scoreboard/submit.lua \
  "http://127.0.0.1:$port" | grep -E "Requests/sec|Latency|Non-2xx|requests in"
echo "refused: $(metric 'zarq_checks_total{verdict="refused"}')  $(memory)"
stop

fill_sql="INSERT INTO plays(name, score, stages, speed_level, length_ms, played, submitted, digest)"
echo "== reads of the board with $entries entries more, $each s, 64 connections"
sqlite3 "$scratch/board.sqlite" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $entries)
  $fill_sql SELECT 'player ' || i, abs(random() % 500000), 0, 1, 600000, '2026-01-01T00:00:00Z',
  CAST(strftime('%s', 'now') AS INTEGER) - abs(random() % 1209600), lower(hex(randomblob(32))) FROM n;
  INSERT INTO recordings(play_id, bytes) SELECT id, x'00' FROM plays WHERE id NOT IN (SELECT play_id FROM recordings);"
start "sqlite:$scratch/board.sqlite"
for target in "/api/scores" "/api/scores?board=week" "/api/scores?offset=5000"; do
  echo "-- SQLite GET $target"
  wrk -t2 -c64 -d"${each}s" --latency "http://127.0.0.1:$port$target" |
    grep -E "Requests/sec| 99%| 50%|Non-2xx"
done
echo "$(memory)"

echo "== 2000 idle keep-alive connections held"
coproc IDLE { python3 bench/scoreboard/idle.py "$port" 2000; }
read -r line <&"${IDLE[0]}"
echo "$line; the server counts $(metric zarq_connections) open  $(memory)"
echo "-- SQLite GET /api/scores meanwhile"
wrk -t2 -c64 -d"${each}s" --latency "http://127.0.0.1:$port/api/scores" | grep -E "Requests/sec| 99%|Non-2xx"
exec {IDLE[1]}>&-
wait "$IDLE_PID" 2>/dev/null || true
echo "$(memory)"
stop

if [ -x "$pg/initdb" ]; then
  echo "== PostgreSQL: reads of the board with $entries entries, $each s, 64 connections"
  mkdir -p "$scratch/sockets"; chown nobody "$scratch/sockets" 2>/dev/null || true
  as=(); [ "$(id -u)" -eq 0 ] && as=(runuser -u nobody --)
  "${as[@]}" "$pg/initdb" -D "$scratch/pg" -U zarq -A trust --no-sync --no-instructions >/dev/null
  "${as[@]}" "$pg/pg_ctl" -D "$scratch/pg" -w -s -l "$scratch/pg.log" \
    -o "-c listen_addresses= -c unix_socket_directories=$scratch/sockets -p 5432" start
  url="postgresql://zarq@/postgres?host=$scratch/sockets&port=5432"
  start "$url"
  stop
  psql -q "$url" -c "$fill_sql SELECT 'player ' || i, (random() * 500000)::bigint, 0, 1, 600000,
    '2026-01-01T00:00:00Z', extract(epoch FROM now())::bigint - (random() * 1209600)::bigint,
    md5(i::text) || md5((i + 1)::text) FROM generate_series(1, $entries) i;
    INSERT INTO recordings(play_id, bytes) SELECT id, '\\x00' FROM plays; ANALYZE;"
  start "$url"
  for target in "/api/scores" "/api/scores?board=week"; do
    echo "-- PostgreSQL GET $target"
    wrk -t2 -c64 -d"${each}s" --latency "http://127.0.0.1:$port$target" |
      grep -E "Requests/sec| 99%| 50%|Non-2xx"
  done
  echo "$(memory)"
  stop
fi
