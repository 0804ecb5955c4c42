#!/usr/bin/env bash
# End-to-end check of one comparison scenario on a real server:
#  1. the scenario's setup statements run in two fresh databases A and B;
#  2. the target schema is created in A from the library's export and the scenario's rows
#     are inserted;
#  3. the generated comparison script runs on A;
#  4. the master schema is created in B from the library's export;
#  5. the server's own dump tool must describe A and B alike, every row check must return 1
#     on A, and comparing the master with a copy of itself must give an empty script.
#   compare_live.sh <scenario> <firebird|postgres|mysql> <compare_probe> <work folder>
# Connection parameters as for the other live tests (DBTWIN_TEST_FIREBIRD, ...).
set -euo pipefail
export LC_ALL=C

scenario=${1:?scenario}
server=${2:?server}
probe=${3:?compare_probe}
work=${4:?work folder}

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
log=$work/client.log
: >"$log"
a=dbtwin_${scenario}_a_$$ b=dbtwin_${scenario}_b_$$
cleanup() { :; }
# A wedged server is not asked to drop the databases: the test fails at once.
trap 'live_exit cleanup' EXIT
step=""  # what the test is doing, for the timeout messages
fail() {
  wedge_note
  echo "FAILED: $scenario on $server: $1"
  echo "--- client messages:"; head -n 40 "$log"
  exit 1
}

# Per server: probe <mode> <db> writes a script of the scenario for database <db>;
# runsql <db> <file> runs a script, stopping at its first error; query <db> <sql> prints the
# value of a one-value query; dump <db> writes the schema as the server's tool sees it.
case $server in
  firebird)
    path() { echo "$host/$port:$dir/$1.fdb"; }
    probe() { "$probe" "$scenario" firebird "$1" "$(path "$2")" "$user" "$password"; }
    isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
    runsql() { limit_script "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" -bail -i "$2" "$(path "$1")"; }
    query() { printf 'SET HEADING OFF;\n%s;\n' "$2" | isql "$(path "$1")"; }
    # Forced writes off: the test databases are thrown away, and a synchronous write per
    # DDL commit makes the scripts slow on a busy disk.
    create() {
      printf "CREATE DATABASE '%s' DEFAULT CHARACTER SET UTF8;\n" "$(path "$1")" | isql &&
        limit "$step" gfix -write async -user "$user" -password "$password" "$(path "$1")"
    }
    cleanup() { for d in "$a" "$b"; do printf 'DROP DATABASE;\n' | isql "$(path "$d")" >/dev/null 2>&1 || true; done; }
    dump() { limit_script "$step" isql-fb -x -user "$user" -password "$password" "$(path "$1")" | grep -v -e 'CREATE DATABASE' -e '^/\*' -e 'PAGE_SIZE' -e 'DEFAULT CHARACTER SET'; }
    ;;
  postgres)
    probe() { "$probe" "$scenario" postgres "$1" "$2"; }
    pg() { PGPASSWORD=$password limit "$step" psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 "$@"; }
    runsql() { PGPASSWORD=$password limit_script "$step" psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 -d "$1" -f "$2"; }
    query() { pg -d "$1" -At -c "$2"; }
    create() { pg -d "$dbname" -c "CREATE DATABASE $1 ENCODING 'UTF8' TEMPLATE template0" >/dev/null; }
    cleanup() { for d in "$a" "$b"; do pg -d "$dbname" -c "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
    # \restrict lines carry a random key per dump.
    dump() { PGPASSWORD=$password limit_script "$step" pg_dump -h "$host" -p "$port" -U "$user" --schema-only --no-owner "$1" | grep -v -e '^--' -e '^$' -e '^\\restrict' -e '^\\unrestrict'; }
    ;;
  mysql)
    probe() { "$probe" "$scenario" mysql "$1" "$2"; }
    my() { MYSQL_PWD=$password limit "$step" mariadb --no-defaults -h "$host" -P "$port" -u "$user" "$@"; }
    runsql() { MYSQL_PWD=$password limit_script "$step" mariadb --no-defaults -h "$host" -P "$port" -u "$user" "$1" <"$2"; }
    query() { my -N -B "$1" -e "$2"; }
    create() { my -e "CREATE DATABASE $1 CHARACTER SET utf8mb4"; }
    cleanup() { for d in "$a" "$b"; do my -e "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done; }
    dump() { MYSQL_PWD=$password limit_script "$step" mariadb-dump --no-defaults -h "$host" -P "$port" -u "$user" --no-data --skip-comments --skip-dump-date "$1"; }
    ;;
esac

run_step() { # run_step <db> <mode>: writes the probe's script for <db> and runs it there
  step="the $2 script on $1"
  probe "$2" "$1" >"$work/$2.sql" || fail "compare_probe $2 failed"
  runsql "$1" "$work/$2.sql" >>"$log" 2>&1 || fail "the $2 script stopped with an error (see below)"
}

step="create database $a"
create "$a" >>"$log" 2>&1 || fail "cannot create database $a"
step="create database $b"
create "$b" >>"$log" 2>&1 || fail "cannot create database $b"
run_step "$a" setup
run_step "$b" setup
run_step "$a" target
run_step "$a" rows
run_step "$a" diff
run_step "$b" master

if grep -qiE 'error' "$log"; then fail "the client reported errors"; fi
step="dump of $a"
dump "$a" >"$work/changed.dump" || fail "the dump of $a failed"
step="dump of $b"
dump "$b" >"$work/master.dump" || fail "the dump of $b failed"
grep -qi 'CREATE TABLE' "$work/master.dump" || fail "the dump holds no table (dump tool failed?)"
if ! diff -u "$work/master.dump" "$work/changed.dump" >"$work/dump.diff"; then
  echo "FAILED: $scenario on $server: the changed target differs from the master:"
  cat "$work/dump.diff"
  exit 1
fi

probe checks "$a" >"$work/checks.txt" || fail "compare_probe checks failed"
while IFS= read -r q; do
  [[ -z $q ]] && continue
  step="row check: $q"
  got=$(query "$a" "$q" 2>&1 | tr -d ' \t\r' | grep -v '^$' || true)
  is_wedged && fail "row check did not run: $q"
  [[ $got == 1 ]] || fail "row check returned '${got//$'\n'/ }' instead of 1: $q"
done <"$work/checks.txt"

if ! probe same "$a" >"$work/same.sql"; then
  echo "FAILED: $scenario on $server: comparing the master with itself gives a script:"
  cat "$work/same.sql"
  exit 1
fi
echo "$scenario on $server: the comparison script turned the target into the master ($(wc -l <"$work/checks.txt") row checks held)."
