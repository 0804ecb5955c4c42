#!/usr/bin/env bash
# The body reader's links against the server's: a database is built from <name>.sql, its
# isql -x extract is read by the reader (ibdeps_probe), and the links the bodies made must
# equal what the server recorded in RDB$DEPENDENCIES for the same objects (object to object,
# and object to column). Differences listed in <name>_deps.known are expected (kinds one
# side records and the other does not); any other difference fails the test.
#   ibdeps_live.sh <name> firebird <ibdeps_probe> <fixtures folder> <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8

name=${1:?fixture name}
server=${2:?server}
probe=${3:?ibdeps_probe}
fixtures=${4:?fixtures folder}
work=${5:?work folder}
[[ $server == firebird ]] || { echo "SKIPPED: Firebird only"; exit 77; }

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
[[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
db="$host/$port:$dir/dbtwin_ibdeps_${name}_$$.fdb"
step=""
isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
cleanup() { printf 'DROP DATABASE;\n' | isql "$db" >/dev/null 2>&1 || true; }
trap 'live_exit cleanup' EXIT
fail() {
  wedge_note
  echo "FAILED: $1"
  [[ -f ${2:-} ]] && head -n 60 "$2"
  exit 1
}

step="build the database"
{ printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$db"; grep -v '^SET SQL DIALECT' "$fixtures/$name.sql"; printf 'COMMIT;\n'; } |
  limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail >"$work/build.log" 2>&1 ||
  fail "the fixture does not load" "$work/build.log"
step="extract"
isql -x "$db" >"$work/extract.sql" 2>>"$work/build.log" || fail "isql -x failed" "$work/build.log"

step="read the extract"
"$probe" "$work/extract.sql" >"$work/reader.txt" 2>"$work/reader.log" || fail "the reader reported messages" "$work/reader.log"

# The server's records, named as the probe names them: a check constraint instead of its
# trigger (the triggers of foreign key actions and view check options are left out), TABLE.COLUMN instead of a computed column's internal domain, the view instead of a
# view column computed by a subquery. Domains, collations, users and system objects are left
# out.
step="read the server's dependencies"
cat >"$work/deps.sql" <<'SQL'
SET HEADING OFF;
WITH D (U, O, F) AS (
  SELECT TRIM(COALESCE(cc.RDB$CONSTRAINT_NAME,
                       IIF(r.RDB$VIEW_BLR IS NULL, TRIM(rf.RDB$RELATION_NAME) || '.' || TRIM(rf.RDB$FIELD_NAME),
                           rf.RDB$RELATION_NAME),
                       d.RDB$DEPENDENT_NAME)),
         TRIM(d.RDB$DEPENDED_ON_NAME), TRIM(d.RDB$FIELD_NAME)
  FROM RDB$DEPENDENCIES d
  LEFT JOIN RDB$TRIGGERS t ON d.RDB$DEPENDENT_TYPE = 2 AND t.RDB$TRIGGER_NAME = d.RDB$DEPENDENT_NAME
  LEFT JOIN RDB$CHECK_CONSTRAINTS cc ON d.RDB$DEPENDENT_TYPE = 2 AND cc.RDB$TRIGGER_NAME = d.RDB$DEPENDENT_NAME
  LEFT JOIN RDB$RELATION_CONSTRAINTS rc ON rc.RDB$CONSTRAINT_NAME = cc.RDB$CONSTRAINT_NAME
  LEFT JOIN RDB$RELATION_FIELDS rf ON d.RDB$DEPENDENT_TYPE = 3 AND rf.RDB$FIELD_SOURCE = d.RDB$DEPENDENT_NAME
  LEFT JOIN RDB$RELATIONS r ON r.RDB$RELATION_NAME = rf.RDB$RELATION_NAME
  WHERE d.RDB$DEPENDED_ON_TYPE NOT IN (8, 9, 17) AND d.RDB$DEPENDED_ON_NAME NOT STARTING WITH 'RDB$'
    AND (d.RDB$DEPENDENT_NAME NOT STARTING WITH 'RDB$' OR d.RDB$DEPENDENT_TYPE = 3)
    AND (COALESCE(t.RDB$SYSTEM_FLAG, 0) = 0 OR rc.RDB$CONSTRAINT_TYPE = 'CHECK'))
SELECT U || ' -> ' || O || '.' || F FROM D WHERE F IS NOT NULL
UNION
SELECT U || ' -> ' || O FROM D;
SQL
isql -i "$work/deps.sql" "$db" 2>>"$work/build.log" | sed -e 's/[[:space:]]*$//' -e '/^$/d' | sort -u >"$work/server.txt" ||
  fail "the dependency query failed" "$work/build.log"
[[ -s $work/server.txt ]] || fail "the server recorded no dependencies" "$work/build.log"

sort -u "$work/reader.txt" >"$work/reader.sorted"
diff "$work/server.txt" "$work/reader.sorted" | grep '^[<>]' >"$work/diff.txt" || true
known="$fixtures/${name}_deps.known"
if [[ -f $known ]]; then
  grep -v -e '^#' -e '^$' "$known" | sort >"$work/known.txt"
else
  : >"$work/known.txt"
fi
sort "$work/diff.txt" >"$work/diff.sorted"
if ! diff -u "$work/known.txt" "$work/diff.sorted" >"$work/unexpected.diff"; then
  echo "Differences (< the server only, > the reader only), against the known list:"
  fail "the reader's links differ from the server's" "$work/unexpected.diff"
fi
echo "links: the reader's equal the server's ($(wc -l <"$work/server.txt") records, $(wc -l <"$work/known.txt") known differences)"
