#!/usr/bin/env bash
# An SQL run of a 10,000-row SELECT to text through the MySQL controller, next to the bare
# client into /dev/null, against a private MariaDB on a socket in a temp dir.
#   bench/mysql.sh [build folder] [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
program="$build/bench/mysql/bench_sql_run"
[ -x "$program" ] || cmake --build "$build" --target bench_sql_run
scratch=$(mktemp -d)
password=bench-pw
cleanup() {
  [ -f "$scratch/mysqld.pid" ] && kill "$(cat "$scratch/mysqld.pid")" 2>/dev/null || true
  sleep 2
  rm -rf "$scratch"
}
trap cleanup EXIT
user=$([ "$(id -u)" = 0 ] && echo "user=root" || true)
cat > "$scratch/.my.cnf" <<CNF
[client-server]
socket=$scratch/mysqld.sock

[mysqld]
socket=$scratch/mysqld.sock
skip-networking
datadir=$scratch/data
pid-file=$scratch/mysqld.pid
log-error=$scratch/error.log
$user
CNF
mariadb-install-db --no-defaults --datadir="$scratch/data" --auth-root-authentication-method=normal \
  --skip-test-db ${user:+--user=root} > "$scratch/install.log" 2>&1
mariadbd --defaults-file="$scratch/.my.cnf" 2>/dev/null &
for _ in $(seq 100); do
  mariadb-admin --no-defaults -S "$scratch/mysqld.sock" -uroot ping >/dev/null 2>&1 && break
  sleep 0.2
done
mariadb --no-defaults -S "$scratch/mysqld.sock" -uroot <<SQL
ALTER USER root@localhost IDENTIFIED BY '$password';
CREATE DATABASE bench;
USE bench;
CREATE TABLE bench.rows (id INT PRIMARY KEY, name VARCHAR(64));
INSERT INTO bench.rows SELECT seq, CONCAT('row number ', seq, ' of the benchmark table') FROM seq_1_to_10000;
SQL
HOME="$scratch" "$program" "$scratch/temp" "$password" "${2:-7}"
