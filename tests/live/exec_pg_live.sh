#!/usr/bin/env bash
# dbtwin exec on PostgreSQL: a rich schema is loaded with psql and dumped with pg_dump; the
# dump run by dbtwin exec into a fresh database dumps the same (but for the \restrict lines,
# whose key is new each time).
#   exec_pg_live.sh <dbtwin> <fixture.sql> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
dbtwin=${1:?dbtwin}
fixture=${2:?fixture}
work=${3:?work folder}
server=postgres
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
a=dbtwin_execpg_a_$$ b=dbtwin_execpg_b_$$
export PGPASSWORD=$password
psql_() { limit "$step" psql -X -q -v ON_ERROR_STOP=1 -h "$host" -p "$port" -U "$user" "$@"; }
cleanup() { for d in "$a" "$b"; do psql_ -d postgres -c "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
trap 'live_exit cleanup' EXIT
step=""
fail() { echo "FAILED: exec on PostgreSQL: $1"; [[ -f ${2:-} ]] && head -n 40 "$2"; exit 1; }

step="create the databases"
psql_ -d postgres -c "CREATE DATABASE $a" -c "CREATE DATABASE $b" >"$work/client.log" 2>&1 || fail "cannot create databases" "$work/client.log"
step="load the fixture"
psql_ -d "$a" -f "$fixture" >>"$work/client.log" 2>&1 || fail "the fixture did not load" "$work/client.log"
dump() { limit_script "$step" pg_dump -h "$host" -p "$port" -U "$user" --schema-only "$1" | grep -v '^\\\(un\)\?restrict '; }
step="dump the original"
limit_script "$step" pg_dump -h "$host" -p "$port" -U "$user" --schema-only "$a" >"$work/original.sql"
step="dbtwin exec"
status=0
limit_script "$step" "$dbtwin" exec "$work/original.sql" --on "postgresql://$user@$host:$port/$b" >"$work/exec.out" 2>"$work/exec.err" || status=$?
[[ $status == 0 ]] || fail "dbtwin exec exited $status" "$work/exec.err"
if [[ -n $password ]] && grep -q -F -- "$password" "$work/exec.out" "$work/exec.err"; then fail "the password was shown"; fi
step="dump the copy"
dump "$b" >"$work/copy.x"
dump "$a" >"$work/original.x"
diff -u "$work/original.x" "$work/copy.x" >"$work/dump.diff" || fail "the copy dumps differently" "$work/dump.diff"
echo "PASSED"
