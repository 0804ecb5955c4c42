#!/usr/bin/env bash
# The catalog extractor's case table on the Firebird server: the database of cases.sql is read
# live and the model fields of every case (ibextract_probe dump) must equal cases_fields.txt,
# also with domains left out of the run and with exclusion masks. A schema owned by a user
# other than SYSDBA (a user made for the test, with DDL privileges) must give exactly its
# script's grants. Failures: an attachment deleted during the run makes the run false, and
# dbtwin compare of a database that cannot be opened exits 2 without a script.
#   ibcases_live.sh <ibextract_probe> <fixtures folder> <work folder> <dbtwin>
set -euo pipefail
export LC_ALL=C.UTF-8

probe=${1:?ibextract_probe}
fixtures=${2:?fixtures folder}
work=${3:?work folder}
dbtwin=${4:?dbtwin}
server=firebird

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
[[ -n $dir ]] || { echo "FAILED: $var has no dir=" >&2; exit 1; }
db="$host/$port:$dir/fbx_ibcases_$$.fdb"
owned="$host/$port:$dir/fbx_ibcases_owned_$$.fdb"
owner="FBX_OWNER_$$"
owner_password="fbx$$"
step=""
isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
cleanup() {
  printf 'DROP USER %s;\nCOMMIT;\n' "$owner" | isql "$owned" >/dev/null 2>&1 || true
  for d in "$db" "$owned"; do printf 'DROP DATABASE;\n' | isql "$d" >/dev/null 2>&1 || true; done
}
trap 'live_exit cleanup' EXIT
fail() {
  wedge_note
  echo "FAILED: $1"
  exit 1
}

step="build the case database"
{ printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$db"; cat "$fixtures/cases.sql"; printf 'COMMIT;\n'; } |
  limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "cases.sql does not load"; }

# The owned schema: its objects are made by a user of their own.
step="build the owned schema"
printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\nCREATE USER %s PASSWORD '%s';\nCOMMIT;\n" \
  "$owned" "$owner" "$owner_password" | isql >"$work/owned.log" 2>&1 || { cat "$work/owned.log"; fail "the owner cannot be made"; }
printf 'GRANT CREATE TABLE TO USER %s;\nGRANT CREATE SEQUENCE TO USER %s;\nGRANT CREATE EXCEPTION TO USER %s;\nGRANT CREATE PROCEDURE TO USER %s;\nCOMMIT;\n' \
  "$owner" "$owner" "$owner" "$owner" | isql "$owned" >>"$work/owned.log" 2>&1 || { cat "$work/owned.log"; fail "DDL privileges"; }
cat >"$work/owned.sql" <<'EOF'
CREATE SEQUENCE GO1;
CREATE EXCEPTION EO1 'x';
CREATE TABLE TO1 (A INTEGER, B INTEGER);
SET TERM ^;
CREATE PROCEDURE PO1 AS BEGIN END^
SET TERM ;^
GRANT SELECT ON TO1 TO FBXU9;
GRANT UPDATE (B) ON TO1 TO FBXU9 WITH GRANT OPTION;
GRANT USAGE ON SEQUENCE GO1 TO PROCEDURE PO1;
GRANT USAGE ON EXCEPTION EO1 TO PROCEDURE PO1;
GRANT EXECUTE ON PROCEDURE PO1 TO FBXU9;
COMMIT;
EOF
limit_script "$step" isql-fb -q -ch UTF8 -user "$owner" -password "$owner_password" -bail -i "$work/owned.sql" "$owned" \
  >>"$work/owned.log" 2>&1 || { cat "$work/owned.log"; fail "the owner cannot build its schema"; }

step="extract the cases"
{
  echo "== cases.sql"
  limit_script "$step" "$probe" dump "$db"
  echo "== domains left out of the run: the columns keep the domain's name"
  limit_script "$step" "$probe" dump "$db" domains | grep -E '^  column D|^log Domain'
  echo "== T2 excluded: its unnamed primary key goes with it"
  limit_script "$step" "$probe" dump "$db" T2 | grep -E '^(table|constraint)'
  echo "== CK% excluded: the check constraint goes"
  limit_script "$step" "$probe" dump "$db" 'CK%' | grep -E '^constraint'
  echo "== R1 excluded: the role goes"
  limit_script "$step" "$probe" dump "$db" R1 | grep -E '^role'
  echo "== a schema owned by another user: its grants, without the owner's own rows or DDL privileges"
  limit_script "$step" "$probe" dump "$owned" | grep -E '^(grant|log)' | sed "s/$owner/OWNER/g"
  echo "== the extractor's attachment deleted as the tables step starts"
  limit_script "$step" "$probe" cut "$db"
} >"$work/fields.txt" 2>"$work/fields.log" || { cat "$work/fields.log"; fail "the extraction of the cases failed"; }
[[ ! -s $work/fields.log ]] || { cat "$work/fields.log"; fail "the extractor reported messages"; }
diff -u <(grep -v '^#' "$fixtures/cases_fields.txt") "$work/fields.txt" ||
  fail "the model fields differ from cases_fields.txt (work folder: $work)"

step="dbtwin compare of a database that cannot be opened"
status=0
ISC_PASSWORD=$password limit "$step" "$dbtwin" compare "firebird://$user@$host:$port/$dir/fbx_ibcases_missing_$$.fdb" \
  "$fixtures/cases.sql" --target-version firebird-3.0 -o "$work/missing.sql" >"$work/missing.out" 2>"$work/missing.log" || status=$?
[[ $status -eq 2 ]] || { cat "$work/missing.log"; fail "dbtwin compare of a missing database: status $status, wanted 2"; }
[[ ! -e $work/missing.sql && ! -s $work/missing.out ]] || fail "dbtwin wrote a script for a database it could not read"
grep -q 'cannot connect: .*fbx_ibcases_missing' "$work/missing.log" || { cat "$work/missing.log"; fail "no clear message"; }
step="dbtwin compare with a wrong password"
status=0
ISC_PASSWORD="not-$password" limit "$step" "$dbtwin" compare "$fixtures/cases.sql" \
  "firebird://$user@$host:$port/$dir/fbx_ibcases_$$.fdb" --target-version firebird-3.0 >"$work/login.out" 2>"$work/login.log" || status=$?
[[ $status -eq 2 && ! -s $work/login.out ]] || { cat "$work/login.log"; fail "dbtwin compare with a wrong password: status $status"; }
if grep -qF -- "$password" "$work/missing.log" "$work/login.log"; then fail "dbtwin printed the password"; fi
echo "firebird: the case table reads field by field; failures end the run with an error."
