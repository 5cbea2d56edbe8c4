#!/bin/bash
# Measures korvane-httpd against lighttpd (one worker) on the same folder, on 127.0.0.1 only.
# Prints requests/s for a 1 KiB file (wrk keep-alive, ab HTTP/1.0), MB/s for a 100 MiB file, and
# keep-alive requests per second of the server's CPU time, for each server and as a ratio
# korvane/lighttpd. Each figure is the median of RUNS runs;
# the servers alternate run by run.
set -euo pipefail

ROOT_DIR=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT_DIR/build-bench}
RUNS=${RUNS:-3}
SECONDS_PER_RUN=${SECONDS_PER_RUN:-3}

need=()
command -v wrk >/dev/null || need+=(wrk)
command -v ab >/dev/null || need+=(apache2-utils)
command -v lighttpd >/dev/null || [ -x /usr/sbin/lighttpd ] || need+=(lighttpd)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing ${need[*]} (benchmark only)"
  apt-get install -y "${need[@]}" >/dev/null
fi
LIGHTTPD=$(command -v lighttpd || echo /usr/sbin/lighttpd)

export CCACHE_BASEDIR="$ROOT_DIR" CCACHE_NOHASHDIR=1
cmake -S "$ROOT_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --target korvane-httpd > "$BUILD_DIR/bench-build.log" 2>&1 || { tail -30 "$BUILD_DIR/bench-build.log"; exit 1; }
HTTPD=$BUILD_DIR/tools/httpd/korvane-httpd

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/www"
head -c 1024 /dev/urandom > "$WORK/www/1k.bin"
head -c $((100 * 1024 * 1024)) /dev/urandom > "$WORK/www/100m.bin"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

KPORT=$(free_port)
"$HTTPD" --root "$WORK/www" --addr 127.0.0.1 --port "$KPORT" > "$WORK/korvane.out" &
PIDS+=($!)

LPORT=$(free_port)
cat > "$WORK/lighttpd.conf" <<CONF
server.document-root = "$WORK/www"
server.bind = "127.0.0.1"
server.port = $LPORT
server.max-worker = 0
server.errorlog = "$WORK/lighttpd.err"
CONF
"$LIGHTTPD" -D -f "$WORK/lighttpd.conf" &
PIDS+=($!)

for port in $KPORT $LPORT; do
  for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/1k.bin" && break; sleep 0.1; done
done

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
wrk_rps() { wrk "$@" 2>/dev/null | awk '/Requests\/sec/ {print $2}'; }
ab_rps() { ab -q -n 5000 -c 8 "$1" 2>/dev/null | awk '/Requests per second/ {print $4}'; }
mbps() { curl -s -o /dev/null -w '%{speed_download}\n' "$1" | awk '{printf "%.1f\n", $1 / 1048576}'; }

printf '%-34s %14s %14s %8s\n' "row" "korvane-httpd" "lighttpd" "ratio"
# The two servers take turns run by run, so a load that comes and goes on a shared machine
# falls on both; the ratio is the median of the per-run ratios.
row() {
  local label=$1; shift
  local k l ks=() ls=() rs=()
  for _ in $(seq "$RUNS"); do
    k=$("$@" "$KPORT")
    l=$("$@" "$LPORT")
    ks+=("$k"); ls+=("$l")
    rs+=("$(awk -v a="$k" -v b="$l" 'BEGIN {printf "%.3f", a / b}')")
  done
  printf '%-34s %14s %14s %8s\n' "$label" "$(printf '%s\n' "${ks[@]}" | median)" \
    "$(printf '%s\n' "${ls[@]}" | median)" "$(printf '%s\n' "${rs[@]}" | median | awk '{printf "%.2f", $1}')"
}
wrk1() { wrk_rps -t1 -c1 -d"${SECONDS_PER_RUN}s" "http://127.0.0.1:$1/1k.bin"; }
wrk16() { wrk_rps -t2 -c16 -d"${SECONDS_PER_RUN}s" "http://127.0.0.1:$1/1k.bin"; }
ab8() { ab_rps "http://127.0.0.1:$1/1k.bin"; }
big() { mbps "http://127.0.0.1:$1/100m.bin"; }

# Requests served per second of the server's own CPU time (user and system): steadier than
# requests per second on a shared machine, since time spent waiting for a core is not counted.
pid_of_port() { if [ "$1" = "$KPORT" ]; then echo "${PIDS[0]}"; else echo "${PIDS[1]}"; fi; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
per_cpu_second() {
  local port=$1; shift
  local pid before after count
  pid=$(pid_of_port "$port")
  before=$(cpu_ticks "$pid")
  count=$(wrk "$@" -d"${SECONDS_PER_RUN}s" "http://127.0.0.1:$port/1k.bin" 2>/dev/null |
    awk '/requests in/ {print $1}')
  after=$(cpu_ticks "$pid")
  awk -v n="$count" -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" \
    'BEGIN {printf "%.0f\n", (t > 0 ? n * hz / t : 0)}'
}
cpu1() { per_cpu_second "$1" -t1 -c1; }
cpu16() { per_cpu_second "$1" -t2 -c16; }

row "1 KiB req/s, wrk -t1 -c1"   wrk1
row "1 KiB req/s, wrk -t2 -c16"  wrk16
row "1 KiB req/s, ab -n5000 -c8" ab8
row "100 MiB MB/s, curl"         big
row "1 KiB req/CPU-s, wrk -t1 -c1" cpu1
row "1 KiB req/CPU-s, wrk -t2 -c16" cpu16
