#!/usr/bin/env bash
# Smoke test of the live test servers started by scripts/test-servers: one
# round trip per server through its command-line client. Exits 77 (skipped)
# when the servers are not started, except under CI=true where that fails.
set -uo pipefail
export LC_ALL=C.UTF-8 PGCLIENTENCODING=UTF8

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo_root=$(cd "$here/../.." && pwd)
env_file=${DBTWIN_TEST_SERVERS_DIR:-$repo_root/build/test-servers}/env.sh

if [[ ! -s $env_file ]]; then
  if [[ ${CI:-} == true ]]; then
    echo "servers_smoke: $env_file is missing (run scripts/test-servers start)"
    echo "0 passed, 1 failed"
    exit 1
  fi
  echo "servers_smoke: SKIPPED: $env_file is missing (run scripts/test-servers start)"
  exit 77
fi
# shellcheck source=/dev/null
source "$env_file"

passed=0
failed=0
# Every client call below runs under a timeout of seconds, so a hung server fails
# the test instead of blocking it; after a timeout the server's remaining checks are
# failed without asking it again.
limit=${DBTWIN_LIVE_CALL_TIMEOUT:-20}
wedged=""

# Value of key $2 in the space-separated key=value list $1.
kv() {
  local pair
  for pair in $1; do
    if [[ $pair == "$2="* ]]; then
      printf '%s' "${pair#*=}"
      return 0
    fi
  done
}

# check NAME EXPECTED COMMAND...: COMMAND must succeed and print EXPECTED
# (compared with all blanks and line breaks removed).
check() {
  local name=$1 expected=$2 out rc=0
  shift 2
  if [[ -n $wedged && $name == "$wedged "* ]]; then
    echo "FAIL - $name: not run, $wedged gave no answer before"
    failed=$((failed + 1))
    return
  fi
  out=$("$@" 2>&1) || rc=$?
  if ((rc == 124 || rc == 137)); then
    echo "FAIL - $name: the server (${name%% *}) gave no answer within $limit s"
    wedged=${name%% *}
    failed=$((failed + 1))
  elif ((rc == 0)) && [[ $(printf '%s' "$out" | tr -d ' \t\r\n') == "$expected" ]]; then
    echo "ok - $name"
    passed=$((passed + 1))
  else
    echo "FAIL - $name: expected '$expected', got:"
    printf '%s\n' "$out" | sed 's/^/    /'
    failed=$((failed + 1))
  fi
}

tag=smoke_$$_$RANDOM

# Firebird: a fresh database file in the folder the servers offer for tests.
fb=$DBTWIN_TEST_FIREBIRD
fb_file=$(kv "$fb" dir)/$tag.fdb
fb_db="$(kv "$fb" host)/$(kv "$fb" port):$fb_file"
fb_sql() {
  timeout -k 2 "$limit" isql-fb -q -b -ch UTF8 -user "$(kv "$fb" user)" -password "$(kv "$fb" password)" "$@"
}
check "firebird create database" "" fb_sql <<EOF
create database '$fb_db';
EOF
check "firebird file exists" "yes" bash -c "test -s '$fb_file' && echo yes"
check "firebird query" "COUNT=====================2" fb_sql "$fb_db" <<EOF
create table t (id integer not null primary key);
commit;
insert into t values (1);
insert into t values (2);
select count(*) from t;
EOF
check "firebird drop database" "" fb_sql "$fb_db" <<EOF
drop database;
EOF
check "firebird file removed" "gone" bash -c "test -e '$fb_file' || echo gone"

# PostgreSQL: create a database, query inside it, drop it.
pg=$DBTWIN_TEST_POSTGRES
pg_sql() {
  local db=$1
  shift
  timeout -k 2 "$limit" psql -X -q -v ON_ERROR_STOP=1 -tA -h "$(kv "$pg" host)" -p "$(kv "$pg" port)" \
    -U "$(kv "$pg" user)" -d "$db" "$@"
}
check "postgres create database" "" pg_sql "$(kv "$pg" dbname)" -c "create database $tag"
check "postgres query" "2" pg_sql "$tag" \
  -c "create table t (id int primary key)" -c "insert into t values (1), (2)" \
  -c "select count(*) from t"
check "postgres drop database" "" pg_sql "$(kv "$pg" dbname)" -c "drop database $tag"
check "postgres database gone" "0" pg_sql "$(kv "$pg" dbname)" \
  -c "select count(*) from pg_database where datname = '$tag'"

# MariaDB: the same round trip.
my=$DBTWIN_TEST_MYSQL
my_sql() {
  local pw
  pw=$(kv "$my" password)
  timeout -k 2 "$limit" mariadb --no-defaults --default-character-set=utf8mb4 -N -B -h "$(kv "$my" host)" -P "$(kv "$my" port)" \
    -u "$(kv "$my" user)" ${pw:+"-p$pw"} "$@"
}
check "mariadb create database" "" my_sql -e "create database $tag"
check "mariadb query" "2" my_sql "$tag" \
  -e "create table t (id int primary key); insert into t values (1), (2); select count(*) from t"
check "mariadb drop database" "" my_sql -e "drop database $tag"
check "mariadb database gone" "0" my_sql \
  -e "select count(*) from information_schema.schemata where schema_name = '$tag'"

echo "$passed passed, $failed failed"
((failed == 0))
