#!/usr/bin/env bash
# dbtwin exec on PostgreSQL or MariaDB: a rich schema is loaded with the server's client and
# dumped with its dump tool; the dump run by dbtwin exec into a fresh database dumps the same
# (but for lines that name the database, and pg_dump's \restrict key, new each time).
#   exec_dump_live.sh postgres|mysql <dbtwin> <fixture.sql> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
server=${1:?server}
dbtwin=${2:?dbtwin}
fixture=${3:?fixture}
work=${4:?work folder}
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
a=dbtwin_execdump_a_$$ b=dbtwin_execdump_b_$$
if [[ $server == postgres ]]; then
  export PGPASSWORD=$password
  client() { limit "$step" psql -X -q -v ON_ERROR_STOP=1 -h "$host" -p "$port" -U "$user" "$@"; }
  admin() { client -d postgres -c "$1"; }
  load() { client -d "$1" -f "$2"; }
  dump() { limit_script "$step" pg_dump -h "$host" -p "$port" -U "$user" --schema-only "$1"; }
  filter() { grep -v '^\\\(un\)\?restrict '; }
  url="postgresql://$user@$host:$port/$b"
else
  export MYSQL_PWD=$password
  client() { limit "$step" mariadb -h "$host" -P "$port" -u "$user" "$@"; }
  admin() { client -e "$1"; }
  load() { client "$1" <"$2"; }
  dump() { limit_script "$step" mariadb-dump -h "$host" -P "$port" -u "$user" --no-data --routines --triggers --events "$1"; }
  filter() { grep -v -e '^-- Dump completed' -e '^-- Host:' -e '^-- Dumping .* for database'; }
  url="mysql://$user@$host:$port/$b"
fi
cleanup() { for d in "$a" "$b"; do admin "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
trap 'live_exit cleanup' EXIT
step=""
fail() { echo "FAILED: exec of a dump ($server): $1"; [[ -f ${2:-} ]] && head -n 40 "$2"; exit 1; }

step="create the databases"
{ admin "CREATE DATABASE $a" && admin "CREATE DATABASE $b"; } >"$work/client.log" 2>&1 || fail "cannot create databases" "$work/client.log"
step="load the fixture"
load "$a" "$fixture" >>"$work/client.log" 2>&1 || fail "the fixture did not load" "$work/client.log"
step="dump the original"
dump "$a" >"$work/original.sql"
step="dbtwin exec"
status=0
limit_script "$step" "$dbtwin" exec "$work/original.sql" --on "$url" >"$work/exec.out" 2>"$work/exec.err" || status=$?
[[ $status == 0 ]] || fail "dbtwin exec exited $status" "$work/exec.err"
if [[ -n $password ]] && grep -q -F -- "$password" "$work/exec.out" "$work/exec.err"; then fail "the password was shown"; fi
step="dump the copy"
dump "$b" | filter >"$work/copy.x"
filter <"$work/original.sql" >"$work/original.x"
diff -u "$work/original.x" "$work/copy.x" >"$work/dump.diff" || fail "the copy dumps differently" "$work/dump.diff"
echo "PASSED"
