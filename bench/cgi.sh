#!/bin/bash
# Measures CGI requests through korvane-httpd against lighttpd with mod_cgi, both running the
# same Perl "hello" script with the same perl, on 127.0.0.1 only: ab -n 2000 -c 1 (one request
# after the other, the way a person reloads a page), requests/s for each server and the ratio
# korvane/lighttpd. Each figure is the median of RUNS runs; the servers alternate run by run.
set -euo pipefail

ROOT_DIR=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT_DIR/build-bench}
RUNS=${RUNS:-3}
REQUESTS=${REQUESTS:-2000}

need=()
command -v ab >/dev/null || need+=(apache2-utils)
command -v lighttpd >/dev/null || [ -x /usr/sbin/lighttpd ] || need+=(lighttpd)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing ${need[*]} (benchmark only)"
  apt-get install -y "${need[@]}" >/dev/null
fi
LIGHTTPD=$(command -v lighttpd || echo /usr/sbin/lighttpd)
PERL=$(command -v perl)

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

mkdir -p "$WORK/www/cgi-bin" "$WORK/home" "$WORK/config"
printf 'print "Content-Type: text/html\\n\\nhello\\n";\n' > "$WORK/www/cgi-bin/hello.pl"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

KPORT=$(free_port)
KORVANE_HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" \
  "$HTTPD" --root "$WORK/www" --cgi "$WORK/www/cgi-bin" --cgi-path /cgi-bin --port "$KPORT" > "$WORK/korvane.out" &
PIDS+=($!)

LPORT=$(free_port)
cat > "$WORK/lighttpd.conf" <<CONF
server.modules = ("mod_cgi")
server.document-root = "$WORK/www"
server.bind = "127.0.0.1"
server.port = $LPORT
server.max-worker = 0
server.errorlog = "$WORK/lighttpd.err"
\$HTTP["url"] =~ "^/cgi-bin/" { cgi.assign = (".pl" => "$PERL") }
CONF
"$LIGHTTPD" -D -f "$WORK/lighttpd.conf" &
PIDS+=($!)

# Both pass the script's body through as it is.
hello() { curl -s "http://127.0.0.1:$1/cgi-bin/hello.pl"; }
for port in $KPORT $LPORT; do
  for _ in $(seq 50); do
    [ "$(hello "$port")" = "hello" ] && break
    sleep 0.1
  done
  [ "$(hello "$port")" = "hello" ] || { echo "no hello from port $port"; exit 1; }
done

median() { sort -g | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
ab_rps() { ab -q -n "$REQUESTS" -c 1 "http://127.0.0.1:$1/cgi-bin/hello.pl" 2>/dev/null | awk '/Requests per second/ {print $4}'; }

ks=() ls=() rs=()
for _ in $(seq "$RUNS"); do
  k=$(ab_rps "$KPORT")
  l=$(ab_rps "$LPORT")
  ks+=("$k"); ls+=("$l")
  rs+=("$(awk -v a="$k" -v b="$l" 'BEGIN {printf "%.3f", a / b}')")
done
printf '%-34s %14s %14s %8s\n' "row" "korvane-httpd" "lighttpd" "ratio"
printf '%-34s %14s %14s %8s\n' "Perl hello CGI req/s, ab -c1" "$(printf '%s\n' "${ks[@]}" | median)" \
  "$(printf '%s\n' "${ls[@]}" | median)" "$(printf '%s\n' "${rs[@]}" | median | awk '{printf "%.2f", $1}')"
