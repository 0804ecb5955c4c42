#!/usr/bin/env bash
# End-to-end check of one comparison scenario on a real server:
#  1. the scenario's setup statements run in two fresh databases A and B;
#  2. the target schema is created in A from the library's export and the scenario's rows
#     are inserted;
#  3. the generated comparison script runs on A;
#  4. the master schema is created in B from the library's export;
#  5. the server's own dump tool must describe A and B alike, every row check must return 1
#     on A, and comparing the master with a copy of itself must give an empty script.
# A scenario that expects the server to refuse its script instead requires step 3 to stop
# with that error, the script to hold the library's warning before the refused statement and
# the row checks to hold (nothing lost); steps 4 and 5 are left out. A scenario that does
# not apply to the server is skipped (exit 77).
#   compare_live.sh <scenario> <firebird|postgres|mysql> <compare_probe> <work folder>
# Connection parameters as for the other live tests (DBTWIN_TEST_FIREBIRD, ...).
# Every client runs in UTF-8 (names and rows may hold non-ASCII text); only the comparison
# script may run through a latin1 client when the scenario asks for it.
set -euo pipefail
export LC_ALL=C.UTF-8 PGCLIENTENCODING=UTF8

scenario=${1:?scenario}
server=${2:?server}
probe=${3:?compare_probe}
work=${4:?work folder}

# How the scenario runs on this server (see compare_probe's "options" mode).
options=$("$probe" "$scenario" "$server" options -) || { echo "FAILED: compare_probe options failed"; exit 1; }
option() { sed -n "s/^$1=//p" <<<"$options"; }
if [[ $(option applies) != 1 ]]; then
  echo "SKIPPED: $scenario does not apply to $server"
  exit 77
fi
diff_charset=$(option diff_charset)
lax_session=$(option lax_session)
leaves_difference=$(option leaves_difference)
expect_error=$(option expect_error)
expect_comment=$(option expect_comment)

# shellcheck source=tests/live/live_env.sh
source "$(dirname "${BASH_SOURCE[0]}")/live_env.sh"

rm -rf "$work"
mkdir -p "$work"
log=$work/client.log
: >"$log"
a=dbtwin_${scenario}_a_$$ b=dbtwin_${scenario}_b_$$
cleanup() { :; }
# scenario_cleanup: the scenario's statements that drop what it made server-wide (roles,
# users), per database, each on its own (run_on_server <file> runs them; errors ignored).
run_on_server() { :; }
scenario_cleanup() {
  local d
  for d in "$a" "$b"; do
    "$probe" "$scenario" "$server" cleanup "$d" >"$work/cleanup.sql" 2>/dev/null || continue
    while IFS= read -r line; do
      [[ -n $line ]] && printf '%s\n' "$line" >"$work/cleanup1.sql" && run_on_server "$work/cleanup1.sql"
    done <"$work/cleanup.sql"
  done
}
# A wedged server is not asked to drop the databases: the test fails at once.
trap 'live_exit cleanup' EXIT
step=""  # what the test is doing, for the timeout messages
fail() { # fail <reason> [client log]
  wedge_note
  echo "FAILED: $scenario on $server: $1"
  echo "--- client messages:"; head -n 40 "${2:-$log}"
  exit 1
}

# Per server: probe <mode> <db> writes a script of the scenario for database <db>;
# runsql <db> <file> [utf8|latin1] [lax] runs a script, stopping at its first error, through
# a client connected in that character set (UTF-8 by default), MariaDB in a session that is
# not strict when "lax"; query <db> <sql> prints the value of a one-value query;
# dump <db> writes the schema as the server's tool sees it.
case $server in
  firebird)
    path() { echo "$host/$port:$dir/$1.fdb"; }
    probe() { "$probe" "$scenario" firebird "$1" "$(path "$2")" "$user" "$password"; }
    isql() { limit "$step" isql-fb -q -ch UTF8 -user "$user" -password "$password" "$@"; }
    runsql() {
      local charset=UTF8
      [[ ${3:-} == latin1 ]] && charset=ISO8859_1
      limit_script "$step" isql-fb -q -ch "$charset" -user "$user" -password "$password" -bail -i "$2" "$(path "$1")"
    }
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
    runsql() {
      local encoding=UTF8
      [[ ${3:-} == latin1 ]] && encoding=LATIN1
      PGCLIENTENCODING=$encoding PGPASSWORD=$password limit_script "$step" psql -X -q -h "$host" -p "$port" -U "$user" -v ON_ERROR_STOP=1 -d "$1" -f "$2"
    }
    query() { pg -d "$1" -At -c "$2"; }
    create() { pg -d "$dbname" -c "CREATE DATABASE $1 ENCODING 'UTF8' TEMPLATE template0" >/dev/null; }
    run_on_server() { pg -d "$dbname" -f "$1" >/dev/null 2>&1 || true; }
    cleanup() {
      for d in "$a" "$b"; do pg -d "$dbname" -c "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done
      scenario_cleanup
    }
    # \restrict lines carry a random key per dump. An object's ACL lists its grants in the
    # order they were made: each run of GRANT lines is sorted, everything else keeps its place.
    sort_grant_runs() {
      awk '{ if ($0 ~ /^GRANT /) { if (!g) run++; g = 1 } else { run++; g = 0 }; printf "%08d\t%s\n", run, $0 }' |
        LC_ALL=C sort -s -t $'\t' -k1,1 -k2 | cut -f2-
    }
    dump() { PGPASSWORD=$password limit_script "$step" pg_dump -h "$host" -p "$port" -U "$user" --schema-only --no-owner "$1" | grep -v -e '^--' -e '^$' -e '^\\restrict' -e '^\\unrestrict' | sort_grant_runs; }
    ;;
  mysql)
    probe() { "$probe" "$scenario" mysql "$1" "$2"; }
    my() { MYSQL_PWD=$password limit "$step" mariadb --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" "$@"; }
    runsql() {
      local charset=utf8mb4 session=()
      [[ ${3:-} == latin1 ]] && charset=latin1
      [[ ${4:-} == lax ]] && session=(--init-command="SET SESSION sql_mode=''")
      MYSQL_PWD=$password limit_script "$step" mariadb --no-defaults --default-character-set="$charset" "${session[@]}" \
        -h "$host" -P "$port" -u "$user" "$1" <"$2"
    }
    query() { my -N -B "$1" -e "$2"; }
    create() { my -e "CREATE DATABASE $1 CHARACTER SET utf8mb4"; }
    run_on_server() { my <"$1" >/dev/null 2>&1 || true; }
    cleanup() {
      for d in "$a" "$b"; do my -e "DROP DATABASE IF EXISTS $d" >/dev/null 2>&1 || true; done
      scenario_cleanup
    }
    dump() { MYSQL_PWD=$password limit_script "$step" mariadb-dump --no-defaults --default-character-set=utf8mb4 -h "$host" -P "$port" -u "$user" --no-data --routines --skip-comments --skip-dump-date "$1"; }
    ;;
esac

run_step() { # run_step <db> <mode> [runsql options]: writes the probe's script for <db> and runs it there
  local db=$1 mode=$2
  shift 2
  step="the $mode script on $db"
  probe "$mode" "$db" >"$work/$mode.sql" || fail "compare_probe $mode failed"
  runsql "$db" "$work/$mode.sql" "$@" >>"$log" 2>&1 || fail "the $mode script stopped with an error (see below)"
}
diff_options=("$diff_charset")
[[ $lax_session == 1 ]] && diff_options+=(lax)
step="create database $a"
create "$a" >>"$log" 2>&1 || fail "cannot create database $a"
run_step "$a" setup
run_step "$a" target
run_step "$a" rows
# A Firebird server whose character set module is not loaded knows no ISO8859_1.
if [[ $server == firebird && $diff_charset == latin1 ]]; then
  step="a connection in ISO8859_1"
  printf 'SELECT 1 FROM RDB$DATABASE;\n' |
    limit "$step" isql-fb -q -ch ISO8859_1 -user "$user" -password "$password" "$(path "$a")" >"$work/latin1.log" 2>&1 ||
    fail "the server takes no client in ISO8859_1 (when it says the character set is not defined, its character set module is not loaded: start it with the current scripts/test-servers)" "$work/latin1.log"
fi

if [[ -n $expect_error ]]; then
  # The server must refuse the script, with the library's warning before the statement.
  step="the diff script on $a"
  probe diff "$a" >"$work/diff.sql" || fail "compare_probe diff failed"
  if runsql "$a" "$work/diff.sql" "${diff_options[@]}" >"$work/diff.log" 2>&1; then
    fail "the diff script ran, but the server should refuse it with /$expect_error/" "$work/diff.log"
  fi
  is_wedged && fail "the diff script did not finish"
  grep -qiE -- "$expect_error" "$work/diff.log" ||
    fail "the diff script stopped with another error than /$expect_error/" "$work/diff.log"
  grep -qiE -- "$expect_comment" "$work/diff.sql" ||
    fail "the diff script holds no warning matching /$expect_comment/" "$work/diff.sql"
else
  run_step "$a" diff "${diff_options[@]}"
  if [[ -n ${password:-} ]] && grep -qF -- "$password" "$work/diff.sql"; then
    fail "the diff script holds the password" "$work/diff.sql"
  fi
  if [[ $leaves_difference == 1 ]]; then
    grep -qiE -- "$expect_comment" "$work/diff.sql" ||
      fail "the diff script holds no warning matching /$expect_comment/" "$work/diff.sql"
  fi
  step="create database $b"
  create "$b" >>"$log" 2>&1 || fail "cannot create database $b"
  run_step "$b" setup
  run_step "$b" master
fi

if grep -qiE 'error' "$log"; then fail "the client reported errors"; fi
if [[ -z $expect_error && $leaves_difference != 1 ]]; then
  step="dump of $a"
  # Names a scenario makes server-wide carry their database's name: one placeholder for both.
  dump "$a" | sed "s/$a/@database@/g" >"$work/changed.dump" || fail "the dump of $a failed"
  step="dump of $b"
  dump "$b" | sed "s/$b/@database@/g" >"$work/master.dump" || fail "the dump of $b failed"
  grep -qi 'CREATE TABLE' "$work/master.dump" || fail "the dump holds no table (dump tool failed?)"
  if ! diff -u "$work/master.dump" "$work/changed.dump" >"$work/dump.diff"; then
    echo "FAILED: $scenario on $server: the changed target differs from the master:"
    cat "$work/dump.diff"
    exit 1
  fi
fi

probe checks "$a" >"$work/checks.txt" || fail "compare_probe checks failed"
while IFS= read -r q; do
  [[ -z $q ]] && continue
  step="row check: $q"
  got=$(query "$a" "$q" 2>&1 | tr -d ' \t\r' | grep -v '^$' || true)
  is_wedged && fail "row check did not run: $q"
  [[ $got == 1 ]] || fail "row check returned '${got//$'\n'/ }' instead of 1: $q"
done <"$work/checks.txt"

if [[ -n $expect_error ]]; then
  echo "$scenario on $server: the server refused the comparison script as expected ($(grep -m1 -iE -- "$expect_error" "$work/diff.log")); $(wc -l <"$work/checks.txt") row checks held."
  exit 0
fi
if ! probe same "$a" >"$work/same.sql"; then
  echo "FAILED: $scenario on $server: comparing the master with itself gives a script:"
  cat "$work/same.sql"
  exit 1
fi
echo "$scenario on $server: the comparison script turned the target into the master ($(wc -l <"$work/checks.txt") row checks held)."
