#!/usr/bin/env bash
# dbtwin exec and compare --apply on Firebird, through the server or the embedded engine:
# a script with every statement kind leaves exactly the expected objects and rows; data
# statements keep what succeeded around a failure; blobs come from a blob file; bad input
# stops the run with exit 2 and runs nothing after it; no password is ever shown.
#   exec_live.sh <dbtwin> server|embedded <work folder>
set -euo pipefail
export LC_ALL=C.UTF-8
dbtwin=${1:?dbtwin}
mode=${2:?server or embedded}
work=${3:?work folder}
server=firebird
# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
export ISC_USER=$user
dbs=()
# The connection string of a database of this run, for scripts and the server's client.
path() {
  if [[ $mode == server ]]; then echo "$host/$port:$dir/dbtwin_exec_$1_$$.fdb"; else echo "$work/$1.fdb"; fi
}
url() {
  if [[ $mode == server ]]; then echo "firebird://$user@$host:$port/$dir/dbtwin_exec_$1_$$.fdb"; else echo "firebird:$work/$1.fdb"; fi
}
isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
cleanup() { for d in "${dbs[@]}"; do printf 'DROP DATABASE;\n' | isql "$(path "$d")" >/dev/null 2>&1 || true; done; }
trap 'live_exit cleanup' EXIT
step=""
failures=0
fail() {
  echo "FAILED: exec ($mode): $1"
  [[ -f ${2:-} ]] && head -n 40 "$2"
  failures=$((failures + 1))
}
# The password reaches dbtwin through the environment only, and must appear in nothing it
# prints.
export DBTWIN_PASSWORD=$password ISC_PASSWORD=$password
# run <expected status> <name> <dbtwin arguments...>: output in $work/<name>.out/.err
run() {
  local expected=$1 name=$2 status=0
  shift 2
  step="dbtwin $name"
  limit_script "$step" "$dbtwin" "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  [[ $status == "$expected" ]] || fail "$name: dbtwin exited $status, not $expected" "$work/$name.err"
  if grep -q -F -- "$password" "$work/$name.out" "$work/$name.err"; then fail "$name: the password was shown"; fi
}
# query <db> <sql>: the server's answer, blanks squeezed
query() {
  step="query $1"
  printf 'SET HEADING OFF;\n%s\n' "$2" | isql "$(path "$1")" 2>&1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'
}
expect() {  # expect <db> <sql> <answer>
  local got
  got=$(query "$1" "$2")
  [[ $got == "$3" ]] || fail "$2 gave '$got', not '$3'"
}
# The CREATE DATABASE of a fresh database; only a server connection names its password.
createdb() {
  dbs+=("$1")
  if [[ $mode == server ]]; then
    printf "CREATE DATABASE '%s' USER '%s' PASSWORD '%s' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n" \
      "$(path "$1")" "$user" "$password"
  else
    printf "CREATE DATABASE '%s' USER '%s' PAGE_SIZE 8192 DEFAULT CHARACTER SET UTF8;\n" "$(path "$1")" "$user"
  fi
}

# --- every statement kind, dialect 3 without SET SQL DIALECT ----------------------------------
{
  createdb all
  cat <<'EOF'
SET NAMES UTF8;
CREATE TABLE "Mixed Name" (ID BIGINT NOT NULL PRIMARY KEY, NAME VARCHAR(20));
CREATE INDEX IX_NAME ON "Mixed Name" (NAME);
COMMENT ON TABLE "Mixed Name" IS 'it''s a table';
SET TERM ^ ;
CREATE PROCEDURE ADD_ROW (A BIGINT) AS
BEGIN
  INSERT INTO "Mixed Name" (ID, NAME) VALUES (:A, 'p');
END^
CREATE TRIGGER T_BI FOR "Mixed Name" BEFORE INSERT AS
BEGIN
  NEW.NAME = COALESCE(NEW.NAME, 'x');
END^
EXECUTE BLOCK AS BEGIN INSERT INTO "Mixed Name" (ID) VALUES (100); END^
SET TERM ; ^
COMMIT;
EXECUTE PROCEDURE ADD_ROW(5000000000);
ALTER INDEX IX_NAME INACTIVE;
GRANT SELECT ON "Mixed Name" TO PUBLIC;
GRANT UPDATE (NAME) ON "Mixed Name" TO USER JOE;
REVOKE SELECT ON "Mixed Name" FROM PUBLIC;
INSERT INTO "Mixed Name" (ID, NAME) VALUES (1, 'a');
COMMIT;
EOF
} >"$work/all.sql"
run 0 all exec "$work/all.sql" -v
expect all 'SELECT ID, NAME FROM "Mixed Name" ORDER BY ID;' "1 a 100 x 5000000000 p"
expect all "SELECT CAST(RDB\$DESCRIPTION AS VARCHAR(40)) FROM RDB\$RELATIONS WHERE RDB\$RELATION_NAME = 'Mixed Name';" "it's a table"
expect all "SELECT RDB\$INDEX_INACTIVE FROM RDB\$INDICES WHERE RDB\$INDEX_NAME = 'IX_NAME';" "1"
expect all "SELECT TRIM(RDB\$USER) || ':' || RDB\$PRIVILEGE FROM RDB\$USER_PRIVILEGES WHERE RDB\$RELATION_NAME = 'Mixed Name' AND RDB\$USER <> '$user' ORDER BY 1;" "JOE:U"
expect all "SELECT COUNT(*) FROM RDB\$PROCEDURES WHERE RDB\$PROCEDURE_NAME = 'ADD_ROW';" "1"
grep -q "Script executed succesfully" "$work/all.err" || fail "no success line in the log" "$work/all.err"

# --- data statements around a failure ------------------------------------------------------
{
  createdb tx
  cat <<'EOF'
CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY);
INSERT INTO T VALUES (1);
INSERT INTO T VALUES (2);
INSERT INTO T VALUES (1);
INSERT INTO T VALUES (3);
DROP TABLE NO_SUCH;
INSERT INTO T VALUES (4);
EOF
} >"$work/tx.sql"
run 2 tx exec "$work/tx.sql" --continue-on-error
expect tx "SELECT CAST(LIST(ID) AS VARCHAR(100)) FROM (SELECT ID FROM T ORDER BY ID);" "1,2,3,4"
grep -q "tx.sql:5:1: error: violation of PRIMARY or UNIQUE KEY" "$work/tx.err" || fail "the failed insert is not reported at its line" "$work/tx.err"
grep -q "tx.sql:7:1: error: .*NO_SUCH" "$work/tx.err" || fail "the failed CREATE TABLE is not reported at its line" "$work/tx.err"
[[ $(grep -c ": error: " "$work/tx.err") == 2 ]] || fail "not exactly two errors reported" "$work/tx.err"
# Stop on error (the default): nothing after the failure runs, what ran before stays.
printf "CONNECT '%s';\nINSERT INTO T VALUES (10);\nINSERT INTO T VALUES (10);\nINSERT INTO T VALUES (11);\nCREATE TABLE AFTER_IT (A INTEGER);\n" \
  "$(path tx)" >"$work/stop.sql"
run 2 stop exec "$work/stop.sql"
expect tx "SELECT CAST(LIST(ID) AS VARCHAR(100)) FROM (SELECT ID FROM T WHERE ID >= 10 ORDER BY ID);" "10"
expect tx "SELECT COUNT(*) FROM RDB\$RELATIONS WHERE RDB\$RELATION_NAME = 'AFTER_IT';" "0"
grep -q "stop.sql:3:1: error: violation" "$work/stop.err" || fail "the failure is not reported at its line" "$work/stop.err"
if grep -q "succesfully" "$work/stop.err"; then fail "a failed run reported success" "$work/stop.err"; fi

# --- blobs from a blob file ---------------------------------------------------------------
step="blob file"
head -c 20971520 /dev/urandom >"$work/data.blob"
printf 'hello' >>"$work/data.blob"
{
  createdb blob
  cat <<'EOF'
CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, DATA BLOB SUB_TYPE 0);
SET BLOBFILE 'data.blob';
INSERT INTO B VALUES (1, :h00000000_01400000);
INSERT INTO B VALUES (2, :h01400000_00000005);
INSERT INTO B VALUES (3, :h00000000_00000000);
INSERT INTO B VALUES (4, NULL);
COMMIT;
EOF
} >"$work/blob.sql"
run 0 blob exec "$work/blob.sql"
expect blob "SELECT ID, OCTET_LENGTH(DATA), IIF(DATA IS NULL, 'null', 'set') FROM B ORDER BY ID;" \
  "1 20971520 set 2 5 set 3 0 set 4 <null> null"
for at in 0 16777215 20971504; do
  want=$(od -An -tx1 -v -j "$at" -N 16 "$work/data.blob" | tr -d ' \n' | tr a-f A-F)
  expect blob "SELECT CAST(SUBSTRING(DATA FROM $((at + 1)) FOR 16) AS VARCHAR(16) CHARACTER SET OCTETS) FROM B WHERE ID = 1;" "$want"
done
expect blob "SELECT CAST(DATA AS VARCHAR(5)) FROM B WHERE ID = 2;" "hello"

# --- bad input: each a clear error, nothing run after it ----------------------------------------
badcase() {  # badcase <name> <message> <statements...>
  local name=$1 message=$2
  shift 2
  {
    printf "CONNECT '%s';\n" "$(path blob)"
    printf '%s\n' "$@"
    printf 'INSERT INTO B VALUES (99, NULL);\n'
  } >"$work/$name.sql"
  run 2 "$name" exec "$work/$name.sql"
  grep -q -F -- "$message" "$work/$name.err" || fail "$name: no '$message'" "$work/$name.err"
  expect blob "SELECT COUNT(*) FROM B WHERE ID >= 90;" "0"
}
badcase past_end "reaches past the end of the blob file" "SET BLOBFILE 'data.blob';" "INSERT INTO B VALUES (90, :h01400000_00000100);"
badcase no_blob_file "BlobFile not found: $work/nope.blob" "SET BLOBFILE 'nope.blob';" "INSERT INTO B VALUES (91, :h00000000_00000001);"
badcase malformed "No value for parameter :h0000zz_00000004" "SET BLOBFILE 'data.blob';" "INSERT INTO B VALUES (92, :h0000zz_00000004);"
{
  printf "CONNECT '%s';\n" "$(path missing)"
  printf 'CREATE TABLE NOWHERE (A INTEGER);\n'
} >"$work/missing.sql"
run 2 missing exec "$work/missing.sql"
[[ $(grep -c ": error: " "$work/missing.err") == 1 ]] || fail "a failed CONNECT is not one error" "$work/missing.err"
grep -q "missing.sql:1:1: error: .*I/O error" "$work/missing.err" || fail "the server's message is missing" "$work/missing.err"

# --- a connection lost in the middle of a run (server only: another attachment ends it) -------
if [[ $mode == server ]]; then
  {
    createdb lost
    cat <<'EOF'
CREATE TABLE BEFORE_IT (A INTEGER);
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE T0 TIMESTAMP;
BEGIN
  T0 = CAST('NOW' AS TIMESTAMP);
  WHILE (DATEDIFF(MILLISECOND FROM T0 TO CAST('NOW' AS TIMESTAMP)) < 8000) DO T0 = T0;
END^
SET TERM ; ^
CREATE TABLE AFTER_IT (A INTEGER);
EOF
  } >"$work/lost.sql"
  (
    sleep 2
    printf "DELETE FROM MON\$ATTACHMENTS WHERE MON\$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON\$REMOTE_PROCESS CONTAINING 'dbtwin';\nCOMMIT;\n" |
      isql "$(path lost)" >"$work/kill.log" 2>&1
  ) &
  killer=$!
  run 2 lost exec "$work/lost.sql"
  wait "$killer" || true
  expect lost "SELECT CAST(LIST(TRIM(RDB\$RELATION_NAME)) AS VARCHAR(100)) FROM RDB\$RELATIONS WHERE RDB\$RELATION_NAME IN ('BEFORE_IT', 'AFTER_IT');" "BEFORE_IT"
  grep -q "lost.sql:4:1: error: " "$work/lost.err" || fail "the lost connection is not reported at the statement" "$work/lost.err"
  if grep -q "succesfully" "$work/lost.err"; then fail "a run that lost its connection reported success" "$work/lost.err"; fi
fi

# --- compare --apply --verify on the bundled example ---------------------------------------------
examples=$(dirname "${BASH_SOURCE[0]}")/../../examples/firebird
{
  createdb example
  cat "$examples/target.sql"
} >"$work/example.sql"
run 0 example_load exec "$work/example.sql"
run 0 apply compare "$examples/master.sql" "$(url example)" --apply --verify -o "$work/applied.sql"
run 0 again compare "$examples/master.sql" "$(url example)"
[[ ! -s $work/again.out ]] || fail "a second comparison after --apply is not empty" "$work/again.out"
# The same script saved, then run by dbtwin exec, does what the in-memory list did.
{
  createdb saved
  cat "$examples/target.sql"
} >"$work/saved.sql"
run 0 saved_load exec "$work/saved.sql"
run 1 saved_compare compare "$examples/master.sql" "$(url saved)" -o "$work/saved_diff.sql"
run 0 saved_exec exec "$work/saved_diff.sql" --on "$(url saved)"
run 0 saved_again compare "$examples/master.sql" "$(url saved)"
[[ ! -s $work/saved_again.out ]] || fail "a comparison after running the saved script is not empty" "$work/saved_again.out"

((failures == 0)) || exit 1
echo "PASSED"
