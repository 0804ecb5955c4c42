#!/usr/bin/env bash
# The bundled Firebird example end to end: the target script is loaded into a fresh
# database, dbtwin's comparison script runs on it with the server's own client, and the
# server's extract of the result must equal that of a database loaded from the master
# script; comparing the master script with itself must exit 0.
#   example_live.sh <dbtwin> <examples folder> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
dbtwin=${1:?dbtwin}
examples=${2:?examples folder}
work=${3:?work folder}
server=firebird
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
t=dbtwin_example_t_$$ m=dbtwin_example_m_$$
path() { echo "$host/$port:$dir/$1.fdb"; }
isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
cleanup() { for d in "$t" "$m"; do printf 'DROP DATABASE;\n' | isql "$(path "$d")" >/dev/null 2>&1 || true; done; }
trap 'live_exit cleanup' EXIT
step=""
fail() { echo "FAILED: example: $1"; [[ -f ${2:-} ]] && head -n 40 "$2"; exit 1; }

for d in "$t" "$m"; do
  step="create $d"
  printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$(path "$d")" | isql >>"$work/client.log" 2>&1 || fail "cannot create $d" "$work/client.log"
done
step="load the target script"
isql -bail -i "$examples/target.sql" "$(path "$t")" >>"$work/client.log" 2>&1 || fail "target.sql did not load" "$work/client.log"
step="load the master script"
isql -bail -i "$examples/master.sql" "$(path "$m")" >>"$work/client.log" 2>&1 || fail "master.sql did not load" "$work/client.log"

step="dbtwin compare"
set +e
"$dbtwin" compare "$examples/master.sql" "$examples/target.sql" --kind firebird --target-version firebird-3.0 \
  -o "$work/diff.sql" 2>"$work/compare.err"
status=$?
set -e
[[ $status == 1 ]] || fail "dbtwin compare exited $status, not 1 (differences)" "$work/compare.err"
step="the comparison script"
isql -bail -i "$work/diff.sql" "$(path "$t")" >"$work/diff.log" 2>&1 || fail "the comparison script stopped with an error" "$work/diff.log"

extract() { limit_script "$step" isql-fb -x -user "$user" -password "$password" "$(path "$1")" | grep -v -e 'CREATE DATABASE' -e '^/\*'; }
step="extract of the changed target"
extract "$t" >"$work/changed.x"
step="extract of the master"
extract "$m" >"$work/master.x"
diff -u "$work/master.x" "$work/changed.x" >"$work/extract.diff" || fail "the changed target differs from the master" "$work/extract.diff"

step="dbtwin compare of the master with itself"
set +e
"$dbtwin" compare "$examples/master.sql" "$examples/master.sql" --kind firebird >"$work/same.sql" 2>"$work/same.err"
status=$?
set -e
[[ $status == 0 ]] || fail "comparing the master with itself exited $status, not 0" "$work/same.err"
echo "example: the comparison script turned the target into the master."
