#!/usr/bin/env bash
# Round trip of the Firebird script reader: a database is built from a stored extract
# (<name>.sql), extracted with isql -x, the extract is read by the reader and exported by the
# library, the export is loaded into an empty database, that database is extracted again and
# the two extracts are compared. The differences left are those listed in
# <name>_roundtrip.known (faults of the export, not of the reader); any other difference, a
# reader message or a client error not listed there fails the test.
# With "script" as the sixth argument the reader reads <name>.sql itself (a script of
# CREATEs and later ALTERs): what it makes of the script must be what the server made.
#   ibparse_live.sh <name> firebird <ibparse_probe> <fixtures folder> <work folder> [script]
set -euo pipefail
export LC_ALL=C.UTF-8

name=${1:?fixture name}
server=${2:?server}
probe=${3:?ibparse_probe}
fixtures=${4:?fixtures folder}
work=${5:?work folder}
mode=${6:-extract}
[[ $server == firebird ]] || { echo "SKIPPED: the round trip is for Firebird only"; exit 77; }

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
[[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
db1="$host/$port:$dir/dbtwin_ibparse_${name}1_$$.fdb"
db2="$host/$port:$dir/dbtwin_ibparse_${name}2_$$.fdb"
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

# The character set of the database the extract was made from (its commented header).
charset=$(sed -n 's/^\/\* CREATE DATABASE .* DEFAULT CHARACTER SET \([A-Z0-9_]*\).*/\1/p' "$fixtures/$name.sql")
charset=${charset:-NONE}
step="build the first database"
{ printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET %s;\n" "$db1" "$charset"; grep -v '^SET SQL DIALECT' "$fixtures/$name.sql"; printf 'COMMIT;\n'; } |
  limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "the stored extract does not load"; }
step="first extract"
isql -x "$db1" >"$work/extract1.sql" 2>>"$work/build.log" || fail "isql -x of the first database failed"

step="read and export"
read_from=$work/extract1.sql
[[ $mode == script ]] && read_from=$fixtures/$name.sql
"$probe" "$read_from" "$db2" "$user" "$charset" >"$work/export.sql" 2>"$work/reader.log" ||
  { cat "$work/reader.log"; fail "the reader reported errors"; }
[[ ! -s $work/reader.log ]] || { cat "$work/reader.log"; fail "the reader reported messages"; }
if [[ -n $password ]] && grep -qF -- "$password" "$work/export.sql"; then fail "the export holds the password"; fi

step="load the export"
# Read as a file: from a pipe, isql takes the CR of each CR LF for a line of its own and
# the stored bodies would get blank lines that are not in the export.
{ cat "$work/export.sql"; printf 'COMMIT;\n'; } >"$work/load.sql"
limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -i "$work/load.sql" >"$work/load.log" 2>&1 || true
step="second extract"
isql -x "$db2" >"$work/extract2.sql" 2>>"$work/load.log" || fail "isql -x of the second database failed"

# The commented CREATE DATABASE line names the database; everything else must match.
norm() { grep -v '^/\* CREATE DATABASE ' "$1"; }
{
  echo "== extract differences (< first, > after the round trip)"
  diff <(norm "$work/extract1.sql") <(norm "$work/extract2.sql") | grep '^[<>]' || true
  echo "== client errors while loading the export"
  grep -E '^(Statement failed|-Token unknown|-[A-Z]+ )' "$work/load.log" || true
} >"$work/differences.txt"
if ! diff -u <(grep -v "^#" "$fixtures/${name}_roundtrip.known") "$work/differences.txt"; then
  fail "the round trip differs from the known differences (work folder: $work)"
fi
echo "firebird: round trip of $name.sql matches the first extract up to $(grep -c '^[<>]' "$fixtures/${name}_roundtrip.known") known export differences."
