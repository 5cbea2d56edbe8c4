#!/usr/bin/env bash
# SFTP upload: Korvane's uploader (login, host-key check, transfer, rename) against OpenSSH's
# `sftp -b`, both sending the same file to one local sshd started here on 127.0.0.1. Each
# timing covers the whole upload the user waits for, login included. Prints the median MB/s
# of each and the ratio ours/sftp (1.0 = as fast).
# Usage: bench/sftp.sh [build-dir] [size-MiB] [runs]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
size_mib="${2:-200}"
runs="${3:-5}"
bench="$build/bench/sftp/bench_sftp_upload"
[ -x "$bench" ] || { echo "build the bench_sftp_upload target first ($bench)"; exit 1; }
[ -x /usr/sbin/sshd ] || { echo "openssh-server is not installed"; exit 1; }
# sshd started as root wants its privilege-separation folder, which only the service makes.
[ "$(id -u)" -ne 0 ] || mkdir -p -m 0755 /run/sshd

work="$(mktemp -d)"
server_pid=""
cleanup() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/home" "$work/local" "$work/qt"
chmod 700 "$work/qt"

ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/client_key"
cp "$work/client_key.pub" "$work/authorized_keys"
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
cat > "$work/sshd_config" <<CONF
Port $port
ListenAddress 127.0.0.1
HostKey $work/host_key
PidFile $work/sshd.pid
AuthorizedKeysFile $work/authorized_keys
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
PermitRootLogin yes
UseDNS no
LogLevel ERROR
Subsystem sftp internal-sftp
CONF
/usr/sbin/sshd -D -e -f "$work/sshd_config" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/sshd.pid" ] && break; sleep 0.1; done
[ -s "$work/sshd.pid" ] || { echo "sshd did not start"; exit 1; }
echo "[127.0.0.1]:$port $(cat "$work/host_key.pub")" > "$work/known_hosts"
user="$(id -un)"

head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$work/local/data.bin"
bytes=$(stat -c %s "$work/local/data.bin")
echo "put $work/local/data.bin $work/home/sftp/data.bin" > "$work/batch"
mkdir -p "$work/home/sftp" "$work/home/ours"

now() { date +%s.%N; }
rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { printf "%.1f", b / 1048576 / s }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
check() { cmp -s "$work/local/data.bin" "$1" || { echo "MISMATCH in $1"; exit 1; }; }

sftp_put() {
  local t0; t0=$(now)
  sftp -q -F /dev/null -b "$work/batch" -i "$work/client_key" -o IdentitiesOnly=yes \
    -o BatchMode=yes -o StrictHostKeyChecking=yes -o UserKnownHostsFile="$work/known_hosts" \
    -P "$port" "$user@127.0.0.1" >/dev/null
  awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'
}
ours_put() {
  local t0; t0=$(now)
  SSH_AUTH_SOCK= KORVANE_HOME="$work/qt" XDG_CONFIG_HOME="$work/qt" XDG_RUNTIME_DIR="$work/qt" \
    QT_QPA_PLATFORM=offscreen \
    "$bench" "$port" "$user" "$work/client_key" "$work/known_hosts" "$work/local/data.bin" \
    "$work/home/ours" >/dev/null
  awk -v a="$t0" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'
}

sftp_times=""; ours_times=""
for _ in $(seq "$runs"); do
  sftp_times+="$(sftp_put) "; check "$work/home/sftp/data.bin"
  ours_times+="$(ours_put) "; check "$work/home/ours/data.bin"
  rm -f "$work/home/sftp/data.bin" "$work/home/ours/data.bin"
done
s=$(echo "$sftp_times" | tr ' ' '\n' | grep . | median)
o=$(echo "$ours_times" | tr ' ' '\n' | grep . | median)
echo "SFTP upload of $size_mib MiB to sshd on 127.0.0.1, median of $runs runs (whole program, login included)"
echo "  sftp -b runs:   $sftp_times"
echo "  Korvane runs:   $ours_times"
printf "Korvane %s MB/s   sftp -b %s MB/s   ratio %s\n" "$(rate "$o")" "$(rate "$s")" \
  "$(awk -v s="$s" -v o="$o" 'BEGIN { printf "%.2f", s / o }')"
