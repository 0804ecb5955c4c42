#!/usr/bin/env bash
# The catalog extractor (TIBDBExtract) against the script reader: a database is built from a
# stored extract (<name>.sql) and extracted with isql -x; the live set and the set read from
# that script must compare equal (an empty comparison script). The live set's export is then
# loaded into an empty database whose isql -x must equal the first one, up to the export
# differences <name>_roundtrip.known lists for the script reader's round trip.
# The command-line tool must find no difference between the database URL and the script.
#   ibextract_live.sh <name> <ibextract_probe> <fixtures folder> <work folder> <dbtwin>
set -euo pipefail
export LC_ALL=C.UTF-8

name=${1:?fixture name}
probe=${2:?ibextract_probe}
fixtures=${3:?fixtures folder}
work=${4:?work folder}
dbtwin=${5:?dbtwin}
server=firebird

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
[[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
db1="$host/$port:$dir/fbx_ibextract_${name}1_$$.fdb"
db2="$host/$port:$dir/fbx_ibextract_${name}2_$$.fdb"
step=""
isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
cleanup() {
  for d in "$db1" "$db2"; do printf 'DROP DATABASE;\n' | isql "$d" >/dev/null 2>&1 || true; done
}
trap 'live_exit cleanup' EXIT
fail() {
  wedge_note
  echo "FAILED: $1"
  exit 1
}

charset=$(sed -n 's/^\/\* CREATE DATABASE .* DEFAULT CHARACTER SET \([A-Z0-9_]*\).*/\1/p' "$fixtures/$name.sql")
charset=${charset:-NONE}
step="build the first database"
{ printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET %s;\n" "$db1" "$charset"; grep -v '^SET SQL DIALECT' "$fixtures/$name.sql"; printf 'COMMIT;\n'; } |
  limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "the stored extract does not load"; }
step="first extract"
isql -x "$db1" >"$work/extract1.sql" 2>>"$work/build.log" || fail "isql -x of the first database failed"

step="live against script"
# <name>_live.known, when there is one, holds the comparison script of what isql -x does not
# write (the live set is right there); without it the comparison must be empty.
if [[ -f $fixtures/${name}_live.known ]]; then
  "$probe" compare "$db1" "$work/extract1.sql" >"$work/compare.sql" 2>"$work/compare.log" || true
  diff -u <(grep -v '^#' "$fixtures/${name}_live.known") <(tr -d '\r' <"$work/compare.sql") ||
    fail "the live set and the script's set differ other than listed in ${name}_live.known (work folder: $work)"
else
  limit_script "$step" "$probe" compare "$db1" "$work/extract1.sql" >"$work/compare.sql" 2>"$work/compare.log" ||
    { cat "$work/compare.log" "$work/compare.sql"; fail "the live set and the script's set differ (work folder: $work)"; }
fi
[[ ! -s $work/compare.log ]] || { cat "$work/compare.log"; fail "the extractor or reader reported messages"; }

step="dbtwin compare of the database URL with its script"
url="firebird://$user@$host:$port/$dir/fbx_ibextract_${name}1_$$.fdb"
status=0
ISC_PASSWORD=$password limit_script "$step" "$dbtwin" compare "$url" "$work/extract1.sql" --target-version firebird-3.0 \
  >"$work/cli.sql" 2>"$work/cli.log" || status=$?
if [[ -n $password ]] && grep -qF -- "$password" "$work/cli.sql" "$work/cli.log"; then fail "dbtwin printed the password"; fi
if [[ -f $fixtures/${name}_live.known ]]; then
  [[ $status -eq 1 ]] || { cat "$work/cli.log"; fail "dbtwin compare: status $status, wanted 1"; }
  diff -u <(grep -v '^#' "$fixtures/${name}_live.known") <(tr -d '\r' <"$work/cli.sql") ||
    fail "dbtwin compare differs other than listed in ${name}_live.known (work folder: $work)"
else
  [[ $status -eq 0 && ! -s $work/cli.sql ]] || { cat "$work/cli.log" "$work/cli.sql"; fail "dbtwin compare found differences (status $status)"; }
fi

step="dbtwin compare with the database as the target"
if [[ ! -f $fixtures/${name}_live.known ]]; then
  status=0
  ISC_PASSWORD=$password limit_script "$step" "$dbtwin" compare "$work/extract1.sql" "$url" --target-version firebird-3.0 \
    >"$work/cli_target.sql" 2>"$work/cli_target.log" || status=$?
  [[ $status -eq 0 && ! -s $work/cli_target.sql ]] ||
    { cat "$work/cli_target.log" "$work/cli_target.sql"; fail "dbtwin compare (database as target) found differences (status $status)"; }
fi
# A script for a database target connects to it as the client names it: host/port:path.
printf 'CREATE TABLE FBX_NEW_TABLE (ID INTEGER);\n' >"$work/new_table.sql"
status=0
ISC_PASSWORD=$password limit_script "$step" "$dbtwin" compare "$work/new_table.sql" "$url" --target-version firebird-3.0 \
  >"$work/cli_new.sql" 2>"$work/cli_new.log" || status=$?
[[ $status -eq 1 ]] || { cat "$work/cli_new.log"; fail "dbtwin compare against the database: status $status, wanted 1"; }
grep -qF "CONNECT '$host/$port:$dir/fbx_ibextract_${name}1_$$.fdb' USER '$user';" "$work/cli_new.sql" ||
  { cat "$work/cli_new.sql"; fail "the script does not connect to the database it was made for"; }
if [[ -n $password ]] && grep -qF -- "$password" "$work/cli_target.sql" "$work/cli_target.log" "$work/cli_new.sql" "$work/cli_new.log" 2>/dev/null; then
  fail "dbtwin printed the password"
fi

step="export the live set"
limit_script "$step" "$probe" export "$db1" "$db2" >"$work/export.sql" 2>"$work/export.log" ||
  { cat "$work/export.log"; fail "the live export failed"; }
if [[ -n $password ]] && grep -qF -- "$password" "$work/export.sql"; then fail "the export holds the password"; fi
step="load the export"
{ cat "$work/export.sql"; printf 'COMMIT;\n'; } >"$work/load.sql"
limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -i "$work/load.sql" >"$work/load.log" 2>&1 || true
step="second extract"
isql -x "$db2" >"$work/extract2.sql" 2>>"$work/load.log" || fail "isql -x of the second database failed"
# The differences left must be those the script reader's round trip lists in
# <name>_roundtrip.known (faults of the export, which both paths share).
norm() { grep -v '^/\* CREATE DATABASE ' "$1"; }
{
  echo "== extract differences (< first, > after the round trip)"
  diff <(norm "$work/extract1.sql") <(norm "$work/extract2.sql") | grep '^[<>]' || true
  echo "== client errors while loading the export"
  grep -E '^(Statement failed|-Token unknown|-[A-Z]+ )' "$work/load.log" || true
} >"$work/differences.txt"
if ! diff -u <(grep -v "^#" "$fixtures/${name}_roundtrip.known") "$work/differences.txt"; then
  fail "the live export does not rebuild the database up to the known differences (work folder: $work)"
fi
echo "firebird: $name.sql read live equals its isql -x script; the live export rebuilds it."
